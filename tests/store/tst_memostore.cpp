// Day memos on the keyed record file: keys, texts, panes and rows.
#include "store/memostore.h"

#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace nox;
using namespace nox::btr;

class TstMemoStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_folders = 0;
    QString freshFolder()
    {
        const QString folder = m_dir.filePath(QString::number(++m_folders));
        QDir().mkpath(folder);
        return folder;
    }

private slots:
    void keyIsTheDayNumber()
    {
        QCOMPARE(memoKey(QDate(2003, 3, 5)), 37685);
        QCOMPARE(memoKey(QDate(1899, 12, 30)), 0);
        QCOMPARE(memoKey(QDate(1899, 12, 29)), -1);
    }

    void openCreatesOnlyWhenMissing()
    {
        const QString folder = freshFolder();
        MemoStore store;
        QVERIFY(store.open(folder).ok());
        QCOMPARE(QFileInfo(folder + "/memo.nox").size(), 1232);
        QVERIFY(store.write(QDate(2003, 3, 5), "first").ok());
        store.close();
        QVERIFY(store.open(folder).ok());
        QCOMPARE(store.read(QDate(2003, 3, 5)), QString("first"));

        // A damaged file is neither replaced nor written.
        store.close();
        QFile f(folder + "/memo.nox");
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(16);
        f.write("\x10\x00\x00\x00", 4); // root inside the file header
        f.close();
        const QByteArray damaged = [&] {
            QFile g(folder + "/memo.nox");
            g.open(QIODevice::ReadOnly);
            return g.readAll();
        }();
        QCOMPARE(store.open(folder).code(), StatusCode::Failed);
        QVERIFY(!store.isOpen());
        QCOMPARE(store.read(QDate(2003, 3, 5)), QString());
        MemoPaneState pane{"typed", true};
        QVERIFY(!store.savePane(pane, QDate(2003, 3, 5)).ok());
        QVERIFY(pane.modified); // kept: nothing was stored
        QFile g(folder + "/memo.nox");
        g.open(QIODevice::ReadOnly);
        QCOMPARE(g.readAll(), damaged);
    }

    void textsAreUtf8WithCrLf()
    {
        const QString folder = freshFolder();
        MemoStore store;
        static_cast<void>(store.open(folder));
        const QDate day(2026, 12, 7);
        QVERIFY(store.write(day, QString::fromUtf8("会議\n資料を準備")).ok());
        QByteArray raw;
        QCOMPARE(store.recordFile().read(memoKey(day), raw), kOk);
        QCOMPARE(raw, QString::fromUtf8("会議\r\n資料を準備").toUtf8());
        QCOMPARE(store.read(day), QString::fromUtf8("会議\n資料を準備"));
        // A record written on Windows in CP932.
        QStringEncoder sjis("CP932");
        const QByteArray legacy = sjis.encode(QString::fromUtf8("旧メモ\r\n二行目"));
        QCOMPARE(store.recordFile().write(memoKey(day.addDays(1)), legacy), kOk);
        QCOMPARE(store.read(day.addDays(1)), QString::fromUtf8("旧メモ\n二行目"));
    }

    void missingDateReadsEmptyAndWritesNothing()
    {
        const QString folder = freshFolder();
        MemoStore store;
        static_cast<void>(store.open(folder));
        MemoPaneState pane{"stale", true};
        store.loadPane(pane, QDate(2026, 1, 1));
        QCOMPARE(pane.text, QString());
        QVERIFY(!pane.modified);
        QCOMPARE(store.lastRead().code(), StatusCode::NotFound);
        QVERIFY(store.savePane(pane, QDate(2026, 1, 1)).ok());
        QCOMPARE(QFileInfo(folder + "/memo.nox").size(), 1232);
    }

    void clearedMemoStoresAnEmptyRecord()
    {
        const QString folder = freshFolder();
        MemoStore store;
        static_cast<void>(store.open(folder));
        const QDate day(2026, 2, 3);
        static_cast<void>(store.write(day, "text"));
        MemoPaneState pane;
        store.loadPane(pane, day);
        pane.text.clear();
        pane.modified = true;
        QVERIFY(store.savePane(pane, day).ok());
        QVERIFY(!pane.modified);
        QCOMPARE(store.read(day), QString());
        QCOMPARE(store.lastRead().code(), StatusCode::Ok); // a record exists, it is empty
        QVERIFY(!store.hasMemo(day));
    }

    // Typing in the third of five panes, then moving one day forward: the
    // text is stored under the third column's old date and the second pane
    // of the new row shows it.
    void rowSavedFromTheOldBaseDate()
    {
        const QString folder = freshFolder();
        MemoStore store;
        static_cast<void>(store.open(folder));
        const QDate base(2026, 12, 7);
        QList<MemoPaneState> panes(5);
        for (int i = 0; i < 5; ++i) {
            store.loadPane(panes[i], base.addDays(i));
        }
        panes[2].text = "third column";
        panes[2].modified = true;
        panes[4].text = "typed but not marked"; // not modified: never saved
        QVERIFY(store.saveRow(panes, base).ok());
        QVERIFY(!panes[2].modified);
        const QDate newBase = base.addDays(1);
        for (int i = 0; i < 5; ++i) {
            store.loadPane(panes[i], newBase.addDays(i));
        }
        QCOMPARE(panes[1].text, QString("third column"));
        QCOMPARE(store.read(base.addDays(2)), QString("third column"));
        QCOMPARE(store.read(base.addDays(4)), QString());
    }

    // Month view: the day-memo pane is saved for the date in its tag before
    // the next date is loaded.
    void monthPaneSavesUnderItsTaggedDate()
    {
        const QString folder = freshFolder();
        MemoStore store;
        static_cast<void>(store.open(folder));
        MemoPaneState pane;
        QDate tag(2026, 12, 10);
        store.loadPane(pane, tag);
        pane.text = "10th";
        pane.modified = true;
        const QDate next(2026, 12, 11);
        static_cast<void>(store.savePane(pane, tag));
        store.loadPane(pane, next);
        tag = next;
        QCOMPARE(store.read(QDate(2026, 12, 10)), QString("10th"));
        QCOMPARE(pane.text, QString());
    }

    void longerMemoAppendsShorterOverwrites()
    {
        const QString folder = freshFolder();
        MemoStore store;
        static_cast<void>(store.open(folder));
        const QDate day(2026, 5, 5);
        const QString path = folder + "/memo.nox";
        static_cast<void>(store.write(day, "0123456789"));
        const qint64 size = QFileInfo(path).size();
        static_cast<void>(store.write(day, "short"));
        QCOMPARE(QFileInfo(path).size(), size);
        static_cast<void>(store.write(day, "a good deal longer than before"));
        QVERIFY(QFileInfo(path).size() > size);
        QCOMPARE(store.read(day), QString("a good deal longer than before"));
        QVERIFY(store.recordFile().check().ok);
    }

    // noxtool --force writes while the program has the store open: the
    // program's next write must not put back its stale copy of the index.
    void anotherWriterIsNotOverwritten()
    {
        const QString folder = freshFolder();
        MemoStore nox;
        QVERIFY(nox.open(folder).ok());
        QVERIFY(nox.write(QDate(2026, 5, 1), "program").ok());
        {
            MemoStore tool;
            QVERIFY(tool.open(folder).ok());
            for (int d = 2; d <= 40; ++d) {
                QVERIFY(tool.write(QDate(2026, 5, 1).addDays(d), QString("noxtool %1").arg(d)).ok());
            }
        }
        QCOMPARE(nox.read(QDate(2026, 5, 3)), QString("noxtool 2"));
        QVERIFY(nox.write(QDate(2026, 4, 1), "program again").ok());
        nox.close();
        MemoStore check;
        QVERIFY(check.open(folder).ok());
        QVERIFY(check.recordFile().check().ok);
        QCOMPARE(check.read(QDate(2026, 4, 1)), QString("program again"));
        QCOMPARE(check.read(QDate(2026, 5, 1)), QString("program"));
        for (int d = 2; d <= 40; ++d) {
            QCOMPARE(check.read(QDate(2026, 5, 1).addDays(d)), QString("noxtool %1").arg(d));
        }
    }

    void closedStoreIsInert()
    {
        MemoStore store;
        QCOMPARE(store.read(QDate(2026, 1, 1)), QString());
        QCOMPARE(store.write(QDate(2026, 1, 1), "x").code(), StatusCode::Failed);
        bool modified = true;
        QCOMPARE(store.savePane("x", modified, QDate(2026, 1, 1)).code(), StatusCode::Failed);
        QVERIFY(modified);
        QCOMPARE(store.open(m_dir.filePath("no/such/folder")).code(), StatusCode::Failed);
    }

    // The batched reads of a month or a row of columns say what single reads
    // say: missing, emptied, UTF-8 and CP932 memos alike.
    void batchedReadsMatchSingleReads()
    {
        const QString folder = freshFolder();
        MemoStore store;
        QVERIFY(store.open(folder).ok());
        const QDate first(2026, 2, 24);
        QVERIFY(store.write(first, QStringLiteral("最初")).ok());
        QVERIFY(store.write(first.addDays(3), QString()).ok()); // emptied
        QVERIFY(store.write(first.addDays(5), QStringLiteral("二行\n目")).ok());
        QVERIFY(store.write(first.addDays(41), QStringLiteral("last")).ok());
        QVERIFY(store.write(first.addDays(42), QStringLiteral("beyond")).ok());
        store.recordFile().write(memoKey(first.addDays(7)), QStringEncoder("Shift-JIS").encode(u"会議"));

        const QStringList texts = store.readDays(first, 42);
        const QList<bool> has = store.hasMemos(first, 42);
        QCOMPARE(texts.size(), 42);
        QCOMPARE(has.size(), 42);
        for (int i = 0; i < 42; ++i) {
            const QString single = store.read(first.addDays(i));
            QCOMPARE(texts.at(i), single);
            QCOMPARE(has.at(i), !single.isEmpty());
        }
        QCOMPARE(texts.at(7), QStringLiteral("会議"));
        QCOMPARE(std::count(has.cbegin(), has.cend(), true), 4);

        store.close(); // a closed store reads nothing
        QCOMPARE(store.readDays(first, 3), QStringList(3));
        QCOMPARE(store.hasMemos(first, 3), QList<bool>(3, false));
    }
};

QTEST_GUILESS_MAIN(TstMemoStore)
#include "tst_memostore.moc"
