#include <QTemporaryDir>
#include <QTest>

#include "widgets/relatedtarget.h"

using namespace nox;

Q_DECLARE_METATYPE(nox::TRelatedKind)

class TestRelatedTarget : public QObject
{
    Q_OBJECT
private slots:
    void classify_data();
    void classify();
    void existingFolderAndFile();
    void openUsesTheDesktopOnlyForTargets();
};

void TestRelatedTarget::classify_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TRelatedKind>("kind");
    QTest::addColumn<QString>("url");
    QTest::newRow("empty") << "" << TRelatedKind::None << "";
    QTest::newRow("blank") << "   " << TRelatedKind::None << "";
    QTest::newRow("plain words") << "会議の資料" << TRelatedKind::None << "";
    QTest::newRow("http") << "http://example.com/a?b=1" << TRelatedKind::Web << "http://example.com/a?b=1";
    QTest::newRow("https upper case")
        << "HTTPS://Example.com/" << TRelatedKind::Web << "https://example.com/";
    QTest::newRow("www") << "www.example.jp/top" << TRelatedKind::Web << "http://www.example.jp/top";
    QTest::newRow("address inside text")
        << "資料 http://example.com/x 参照" << TRelatedKind::Web << "http://example.com/x";
    QTest::newRow("web wins over mail")
        << "http://user@example.com/" << TRelatedKind::Web << "http://user@example.com/";
    QTest::newRow("shell metacharacters stay in the URL")
        << "http://example.com/;rm -rf ~" << TRelatedKind::Web << "http://example.com/;rm";
    QTest::newRow("scheme without host") << "http:" << TRelatedKind::None << "";
    QTest::newRow("mail") << "taro@example.jp" << TRelatedKind::Mail << "mailto:taro@example.jp";
    QTest::newRow("mailto given") << "mailto:hanako@example.jp" << TRelatedKind::Mail
                                  << "mailto:hanako@example.jp";
    QTest::newRow("missing path") << "/no/such/folder/here" << TRelatedKind::None << "";
}

void TestRelatedTarget::classify()
{
    QFETCH(QString, text);
    QFETCH(TRelatedKind, kind);
    QFETCH(QString, url);
    const TRelatedTarget t = ClassifyRelatedTarget(text);
    QCOMPARE(t.kind, kind);
    QCOMPARE(t.url.toString(), url);
}

void TestRelatedTarget::existingFolderAndFile()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("資料 www.x"));
    QVERIFY(QDir().mkpath(folder));
    const QString file = dir.filePath(QStringLiteral("a@b.txt"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    TRelatedTarget t = ClassifyRelatedTarget(folder);
    QCOMPARE(t.kind, TRelatedKind::Folder);
    QCOMPARE(t.url, QUrl::fromLocalFile(folder));
    t = ClassifyRelatedTarget(file);
    QCOMPARE(t.kind, TRelatedKind::File);
    QCOMPARE(t.url.toLocalFile(), file);
}

void TestRelatedTarget::openUsesTheDesktopOnlyForTargets()
{
    QList<QUrl> opened;
    SetRelatedTargetOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    QVERIFY(!OpenRelatedTarget(QString()));
    QVERIFY(!OpenRelatedTarget(QStringLiteral("メモ")));
    QVERIFY(OpenRelatedTarget(QStringLiteral("www.example.com")));
    QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("http://www.example.com"))});
    SetRelatedTargetOpener({});
}

QTEST_MAIN(TestRelatedTarget)
#include "tst_relatedtarget.moc"
