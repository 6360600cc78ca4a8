#include <QtTest>

#include <QStringEncoder>
#include <QTemporaryDir>

#include "core/textfile.h"
#include "freememo/freememofiles.h"
#include "freememo/freememorules.h"

using namespace nox;
using namespace nox::freememo;

namespace
{

QByteArray cp932(const QString& text)
{
    QStringEncoder enc("CP932");
    return enc.encode(text);
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestFreeMemoFiles : public QObject
{
    Q_OBJECT
private slots:
    void numbers_data();
    void numbers();
    void titles_data();
    void titles();
    void indexSkipsAndKeepsUnusableLines();
    void unchangedLegacyLinesKeepTheirBytes();
    void memoTextRoundTrip_data();
    void memoTextRoundTrip();
    void failedWritesKeepTheFiles();
};

void TestFreeMemoFiles::numbers_data()
{
    QTest::addColumn<QList<int>>("used");
    QTest::addColumn<int>("next");
    QTest::newRow("none") << QList<int>{} << 1;
    QTest::newRow("1 and 3") << QList<int>{1, 3} << 2;
    QTest::newRow("gap at 1") << QList<int>{3, 2} << 1;
    QTest::newRow("dense") << QList<int>{2, 1, 3} << 4;
}

void TestFreeMemoFiles::numbers()
{
    QFETCH(QList<int>, used);
    QFETCH(int, next);
    QCOMPARE(nextMemoNumber(used), next);
}

void TestFreeMemoFiles::titles_data()
{
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("next");
    QTest::newRow("none") << QStringList{} << QStringLiteral("新規メモ1");
    QTest::newRow("1 and 2") << QStringList{"新規メモ1", "新規メモ2"} << QStringLiteral("新規メモ3");
    QTest::newRow("only 2") << QStringList{"新規メモ2"} << QStringLiteral("新規メモ1");
    QTest::newRow("other titles") << QStringList{"買い物", "新規メモ"} << QStringLiteral("新規メモ1");
}

void TestFreeMemoFiles::titles()
{
    QFETCH(QStringList, titles);
    QFETCH(QString, next);
    QCOMPARE(nextMemoTitle(titles), next);
    QCOMPARE(cleanMemoTitle(QStringLiteral("a\tb\r\nc")), QStringLiteral("a b  c"));
}

// Lines without a number above 0, and a repeated number, name no tab; they
// stay in the index, after the tabs' lines.
void TestFreeMemoFiles::indexSkipsAndKeepsUnusableLines()
{
    QTemporaryDir dir;
    FreeMemoFiles files(dir.path());
    put(files.indexPath(), QStringLiteral("買い物\t1\r\nzero\t0\r\nnone\r\nword\tx\r\nneg\t-2\r\ndup\t1\r\n"
                                          "会議\t3\textra\r\n")
                               .toUtf8());
    put(files.memoPath(1), "milk\r\neggs\r\n");
    const LoadResult r = files.load();
    QCOMPARE(r.memos.size(), 2);
    QCOMPARE(r.skippedIndexLines, 5);
    QCOMPARE(r.memos.at(0).title, QStringLiteral("買い物"));
    QCOMPARE(r.memos.at(0).number, 1);
    QCOMPARE(r.memos.at(0).text, QStringLiteral("milk\neggs"));
    QCOMPARE(r.memos.at(1).title, QStringLiteral("会議"));
    QCOMPARE(r.memos.at(1).number, 3);
    QCOMPARE(r.memos.at(1).text, QString()); // no memo file
    QVERIFY(r.errors.isEmpty());

    QVERIFY(files.writeIndex({{QStringLiteral("会議"), 3}, {QStringLiteral("新規メモ1"), 2}}));
    QCOMPARE(bytesOf(files.indexPath()),
             QStringLiteral("会議\t3\r\n新規メモ1\t2\r\nzero\t0\r\nnone\r\nword\tx\r\nneg\t-2\r\ndup\t1\r\n")
                 .toUtf8());
}

// A memo written on Windows: its unchanged lines go back as CP932, lines the
// user changed as UTF-8; the same holds for the titles of the index.
void TestFreeMemoFiles::unchangedLegacyLinesKeepTheirBytes()
{
    QTemporaryDir dir;
    FreeMemoFiles files(dir.path());
    put(files.indexPath(), cp932(QStringLiteral("予定①\t1\r\n")));
    const QByteArray garbage("\x81\xFF\xFE tail"); // neither UTF-8 nor CP932
    put(files.memoPath(1), cp932(QStringLiteral("会議室～")) + "\r\n" + QStringLiteral("新しい").toUtf8() +
                               "\n" + garbage + "\r\n");
    const LoadResult r = files.load();
    QCOMPARE(r.memos.size(), 1);
    QCOMPARE(r.memos.at(0).title, QStringLiteral("予定①"));
    const QStringList lines = memoTextLines(r.memos.at(0).text);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QStringLiteral("会議室～"));
    QCOMPARE(lines.at(1), QStringLiteral("新しい"));

    QVERIFY(
        files.writeMemo(1, memoTextFromLines({lines.at(0), QStringLiteral("変更"), lines.at(2)})));
    QCOMPARE(bytesOf(files.memoPath(1)), cp932(QStringLiteral("会議室～")) + "\r\n" +
                                             QStringLiteral("変更").toUtf8() + "\r\n" + garbage + "\r\n");
    // An unchanged index is not written again; a new title is UTF-8.
    setWriteFaultHook([](const QString&, WriteStep) { return EIO; });
    QVERIFY(files.writeIndex({{QStringLiteral("予定①"), 1}}));
    setWriteFaultHook({});
    QVERIFY(files.writeIndex({{QStringLiteral("予定①"), 1}, {QStringLiteral("新規メモ1"), 2}}));
    QCOMPARE(bytesOf(files.indexPath()),
             cp932(QStringLiteral("予定①\t1\r\n")) + QStringLiteral("新規メモ1\t2\r\n").toUtf8());
}

void TestFreeMemoFiles::memoTextRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("one line") << QStringLiteral("会議") << QStringLiteral("会議\r\n").toUtf8();
    QTest::newRow("trailing break") << QStringLiteral("a\n") << QByteArray("a\r\n\r\n");
    QTest::newRow("empty lines") << QStringLiteral("\n\nb") << QByteArray("\r\n\r\nb\r\n");
    QTest::newRow("tab") << QStringLiteral("a\tb") << QByteArray("a\tb\r\n");
}

void TestFreeMemoFiles::memoTextRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    FreeMemoFiles files(dir.path());
    QVERIFY(files.writeIndex({{QStringLiteral("t"), 7}}));
    QVERIFY(files.writeMemo(7, text));
    QCOMPARE(bytesOf(dir.filePath(QStringLiteral("memo7.txt"))), bytes);
    FreeMemoFiles again(dir.path());
    QCOMPARE(again.load().memos.value(0).text, text);
}

void TestFreeMemoFiles::failedWritesKeepTheFiles()
{
    QTemporaryDir dir;
    FreeMemoFiles files(dir.path());
    QVERIFY(files.writeMemo(1, QStringLiteral("old")));
    QVERIFY(files.writeIndex({{QStringLiteral("a"), 1}}));
    setWriteFaultHook([](const QString&, WriteStep step) { return step == WriteStep::Flush ? ENOSPC : 0; });
    const Status memo = files.writeMemo(1, QStringLiteral("new"));
    QVERIFY(!memo.ok());
    QVERIFY(memo.message().contains(files.memoPath(1)));
    QCOMPARE(memo.file(), files.memoPath(1));
    const Status index = files.writeIndex({{QStringLiteral("b"), 1}});
    QVERIFY(!index.ok());
    QVERIFY(index.message().contains(files.indexPath()));
    setWriteFaultHook({});
    QCOMPARE(bytesOf(files.memoPath(1)), QByteArray("old\r\n"));
    QCOMPARE(bytesOf(files.indexPath()), QByteArray("a\t1\r\n"));
    // The failed index write is not taken for the file's contents.
    QVERIFY(files.writeIndex({{QStringLiteral("b"), 1}}));
    QCOMPARE(bytesOf(files.indexPath()), QByteArray("b\t1\r\n"));
}

QTEST_GUILESS_MAIN(TestFreeMemoFiles)
#include "tst_freememofiles.moc"
