// memo.nox across crashes and other writers: a process killed at any step of
// a write leaves a file that the next open rolls back to what it was, and a
// store notices what another process wrote before it writes itself.
#include <QtTest>

#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

#include "../common/scratchdir.h"
#include "core/textfile.h"
#include "store/journalfile.h"
#include "store/memostore.h"

using namespace nox;
using namespace nox::btr;

namespace
{

const QDate kDay(2026, 3, 5);

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Fills a store with enough memos to give the index several levels of nodes.
void fill(MemoStore& store, int count, const QString& prefix)
{
    for (int i = 0; i < count; ++i) {
        QVERIFY(store.write(kDay.addDays(i), prefix + QString::number(i)).ok());
    }
}

} // namespace

class TestMemoJournal : public QObject
{
    Q_OBJECT
private slots:
    void journalRoundTrip();
    void killedWriteIsRolledBack_data();
    void killedWriteIsRolledBack();
    void anotherWritersMemosAreKept();
    void replacedFileIsFollowed();
    void leftoverJournalsGoAtTheFirstWrite();
};

void TestMemoJournal::journalRoundTrip()
{
    const std::map<qint64, QByteArray> pages{{0, QByteArray(4096, 'a')}, {3, QByteArray("tail")}};
    const QByteArray journal = journalBytes(12292, pages);
    qint64 size = 0;
    std::map<qint64, QByteArray> back;
    QVERIFY(parseJournal(journal, &size, &back));
    QCOMPARE(size, 12292);
    QVERIFY(back == pages);
    // A journal cut short or changed anywhere is refused.
    QVERIFY(!parseJournal(journal.chopped(1), &size, &back));
    for (qsizetype at : {qsizetype(0), qsizetype(9), qsizetype(30), journal.size() - 1}) {
        QByteArray damaged = journal;
        damaged[at] = char(damaged[at] ^ 0x40);
        QVERIFY(!parseJournal(damaged, &size, &back));
    }
}

void TestMemoJournal::killedWriteIsRolledBack_data()
{
    QTest::addColumn<bool>("journal"); // the step belongs to writing the journal
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("occurrence"); // the process dies at this occurrence of the step
    QTest::newRow("journal half written") << true << int(WriteStep::Flush) << 1;
    QTest::newRow("journal written, not in place") << true << int(WriteStep::Rename) << 1;
    QTest::newRow("first page written") << false << int(WriteStep::Write) << 2;
    QTest::newRow("all pages written, not synced") << false << int(WriteStep::Sync) << 1;
}

// A child process writes a longer memo (a new record, the key moved, nodes
// changed) and dies at the given step; the next open puts every byte back.
void TestMemoJournal::killedWriteIsRolledBack()
{
    QFETCH(bool, journal);
    QFETCH(int, step);
    QFETCH(int, occurrence);
    QTemporaryDir dir(memoryBackedTemplate());
    const QString path = dir.filePath("memo.nox");
    {
        MemoStore store;
        QVERIFY(store.open(dir.path()).ok());
        fill(store, 250, QStringLiteral("memo "));
    }
    const QByteArray before = bytesOf(path);
    const QString target = journal ? JournalledFile::journalPathOf(path) : path;

    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        int seen = 0;
        setWriteFaultHook([&](const QString& p, WriteStep s) {
            if (p == target && int(s) == step && ++seen == occurrence) {
                _exit(0); // killed here
            }
            return 0;
        });
        MemoStore store;
        static_cast<void>(store.open(dir.path()));
        static_cast<void>(store.write(kDay.addDays(7), QString(3000, u'長')));
        _exit(1); // the step was never reached
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    if (!journal) {
        QVERIFY(QFile::exists(JournalledFile::journalPathOf(path)));
        QVERIFY(bytesOf(path) != before);
    }

    QVERIFY(QFile(dir.filePath("20260305.dat")).open(QIODevice::WriteOnly));
    MemoStore store;
    QVERIFY(store.open(dir.path()).ok());
    QCOMPARE(bytesOf(path), before);
    QVERIFY(store.recordFile().check().ok);
    QCOMPARE(store.read(kDay.addDays(7)), QStringLiteral("memo 7"));
    QVERIFY(store.write(kDay.addDays(7), QString(3000, u'長')).ok());
    // The leftovers are gone by the first write; the other files of the
    // folder stay.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"20260305.dat", "memo.nox"}));
}

// What noxtool --force does while the program runs: the program's store has
// the index cached, another store adds many memos (splitting nodes), then the
// program writes again. Nothing of either may be lost.
void TestMemoJournal::anotherWritersMemosAreKept()
{
    QTemporaryDir dir(memoryBackedTemplate());
    MemoStore program;
    QVERIFY(program.open(dir.path()).ok());
    fill(program, 20, QStringLiteral("program "));
    {
        MemoStore tool;
        QVERIFY(tool.open(dir.path()).ok());
        for (int i = 0; i < 300; ++i) {
            QVERIFY(tool.write(kDay.addDays(1000 + i), QStringLiteral("tool %1").arg(i)).ok());
        }
    }
    QCOMPARE(program.read(kDay.addDays(1299)), QStringLiteral("tool 299"));
    QVERIFY(program.write(kDay.addDays(5), QStringLiteral("program again")).ok());

    MemoStore check;
    QVERIFY(check.open(dir.path()).ok());
    QVERIFY(check.recordFile().check().ok);
    for (int i = 0; i < 300; ++i) {
        QCOMPARE(check.read(kDay.addDays(1000 + i)), QStringLiteral("tool %1").arg(i));
    }
    QCOMPARE(check.read(kDay.addDays(5)), QStringLiteral("program again"));
    QCOMPARE(check.read(kDay.addDays(6)), QStringLiteral("program 6"));
}

// A memo.nox put back from a backup while the program runs is the one it reads
// and writes from then on.
void TestMemoJournal::replacedFileIsFollowed()
{
    QTemporaryDir dir(memoryBackedTemplate());
    QTemporaryDir backup(memoryBackedTemplate());
    {
        MemoStore old;
        QVERIFY(old.open(backup.path()).ok());
        QVERIFY(old.write(kDay, QStringLiteral("from the backup")).ok());
    }
    MemoStore program;
    QVERIFY(program.open(dir.path()).ok());
    QVERIFY(program.write(kDay.addDays(1), QStringLiteral("before")).ok());
    QVERIFY(writeFileAtomic(dir.filePath("memo.nox"), bytesOf(backup.filePath("memo.nox"))));
    QCOMPARE(program.read(kDay), QStringLiteral("from the backup"));
    QVERIFY(program.write(kDay.addDays(2), QStringLiteral("after")).ok());
    MemoStore check;
    QVERIFY(check.open(dir.path()).ok());
    QCOMPARE(check.read(kDay.addDays(2)), QStringLiteral("after"));
    QVERIFY(check.recordFile().check().ok);
}

QTEST_GUILESS_MAIN(TestMemoJournal)
// A writer killed while it wrote its journal leaves the journal's temporary
// file. It is removed before this opening's first journal is written, not
// when the file is opened or read (that would read the whole data folder at
// every start); other files are left alone.
void TestMemoJournal::leftoverJournalsGoAtTheFirstWrite()
{
    QTemporaryDir dir(memoryBackedTemplate());
    MemoStore store;
    QVERIFY(store.open(dir.path()).ok());
    QVERIFY(store.write(kDay, QStringLiteral("first")).ok());
    const QString leftover = dir.filePath(QStringLiteral(".memo.nox-journal.k1ll3d"));
    const QString other = dir.filePath(QStringLiteral(".memo.nox.k1ll3d"));
    for (const QString& path : {leftover, other}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("partial");
    }
    MemoStore reopened;
    QVERIFY(reopened.open(dir.path()).ok());
    QCOMPARE(reopened.read(kDay), QStringLiteral("first"));
    QVERIFY(QFile::exists(leftover));
    QVERIFY(reopened.write(kDay, QStringLiteral("second")).ok());
    QVERIFY(!QFile::exists(leftover));
    QVERIFY(QFile::exists(other));
    QCOMPARE(reopened.read(kDay), QStringLiteral("second"));
}

#include "tst_memojournal.moc"
