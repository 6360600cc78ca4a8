#include <QtTest>

#include <QStringEncoder>
#include <QTemporaryDir>

#include "../common/records.h"
#include "../common/straylines.h"
#include "core/textfile.h"
#include "store/dayfile.h"

using namespace nox;
using namespace nox::test;

namespace
{

const QDate kDay(2003, 3, 5);

TSkedRec rec(int start, qint32 id, const QString& text, const QString& category = {})
{
    return testing::skedRecord(kDay, start, id, text, category, start);
}

QString badLine()
{
    return QStringLiteral("oops\tnot a schedule");
}

} // namespace

class TestDayFile : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void names();
    void listingKindsAndPeriod();
    void missingFileIsEmptyDay();
    void saveSortsAndLoadKeepsOrder();
    void saveOfNothingDeletesFile();
    void categoryFilter();
    void badLinesAreReportedAndKept();
    void appendAddsAtEnd();
    void deleteById();
    void deleteKeepsBadLinesAndWithdrawsAfterWrite();
    void legacyFileReadsAndOldLinesComeUpToDate();
    void unreadableFileIsNotOverwritten();
    void untouchedLinesKeepTheirBytes();
    void markInsideTheFileStaysWithItsLine();
    void dayOutsideTheYearsIsRefused();
    void findById();

private:
    QStringList fileLines() { return readTextLines(dayFilePath(m_dir->path(), kDay))->lines; }
    void writeFile(const QStringList& lines)
    {
        QVERIFY(writeTextLines(dayFilePath(m_dir->path(), kDay), lines));
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDayFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestDayFile::names()
{
    QCOMPARE(dayFileName(kDay), QStringLiteral("20030305.dat"));
    // Worked out from the day number: the same as the calendar's digits on
    // the edges of months, leap days and centuries, and the first and last
    // years of four digits.
    for (const QDate& d : {QDate(1, 1, 1), QDate(999, 12, 31), QDate(1900, 2, 28), QDate(1900, 3, 1),
                           QDate(2000, 2, 29), QDate(2000, 3, 1), QDate(2024, 12, 31), QDate(2100, 3, 1),
                           QDate(9999, 12, 31)}) {
        QCOMPARE(dayFileName(d), d.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".dat"));
        QCOMPARE(dayFilePath(QStringLiteral("/f"), d), QStringLiteral("/f/") + dayFileName(d));
    }
    QCOMPARE(dayFileDate("20030305.dat"), kDay);
    QVERIFY(!dayFileDate("20031305.dat").isValid());
    QVERIFY(!dayFileDate("2003035.dat").isValid());
    QVERIFY(!dayFileDate("x20030305.dat").isValid());
    for (const char* n : {"20030305.dat", "19991231.dat", "notes.dat", "20030306.txt"}) {
        QFile f(m_dir->filePath(n));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(m_dir->path()).mkdir("20040101.dat"));
    QCOMPARE(listDayFiles(m_dir->path()), (QList<QDate>{QDate(1999, 12, 31), kDay}));
}

// The listing reads the kind of each entry from the folder: links are
// followed, a name in two letter cases is one day, and the period is applied.
void TestDayFile::listingKindsAndPeriod()
{
    const QString f = m_dir->path();
    for (const char* n : {"20030305.dat", "20030305.DAT", "20030401.Dat", "20030501.dat", "target.txt"}) {
        QFile file(m_dir->filePath(n));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(f).mkdir("sub"));
    QVERIFY(QFile::link(m_dir->filePath("target.txt"), m_dir->filePath("20030306.dat")));
    QVERIFY(QFile::link(m_dir->filePath("gone.txt"), m_dir->filePath("20030307.dat")));
    QVERIFY(QFile::link(m_dir->filePath("sub"), m_dir->filePath("20030308.dat")));
    const QDate mar6(2003, 3, 6), apr1(2003, 4, 1), may1(2003, 5, 1);
    QCOMPARE(listDayFiles(f), (QList<QDate>{kDay, mar6, apr1, may1}));
    QCOMPARE(listDayFiles(f, mar6, apr1), (QList<QDate>{mar6, apr1}));
    QCOMPARE(listDayFiles(f, apr1, QDate()), (QList<QDate>{apr1, may1}));
    QCOMPARE(listDayFiles(f, QDate(), kDay), QList<QDate>{kDay});
    QCOMPARE(listDayFiles(f, QDate(2003, 5, 2), QDate()), QList<QDate>{});
    QCOMPARE(listDayFiles(m_dir->filePath("missing")), QList<QDate>{});
}

void TestDayFile::missingFileIsEmptyDay()
{
    const TDayLoadResult day = loadDay(m_dir->path(), kDay);
    QVERIFY(day.ok());
    QVERIFY(day->records.isEmpty());
    QVERIFY(day->problems.isEmpty());
}

void TestDayFile::saveSortsAndLoadKeepsOrder()
{
    const QList<TSkedRec> recs{rec(9, 1, "nine"), rec(2, 2, "two"), rec(16, 3, "sixteen"), rec(10, 4, "ten")};
    QVERIFY(saveDay(m_dir->path(), kDay, recs).ok());
    const QStringList lines = fileLines();
    QCOMPARE(lines.size(), 4);
    // Whole-line text order: 10, 16, 2, 9.
    QStringList starts;
    for (const QString& l : lines) {
        starts << skedLineField(l, 0);
    }
    QCOMPARE(starts, (QStringList{"10", "16", "2", "9"}));
    const TDayLoadResult day = loadDay(m_dir->path(), kDay);
    QCOMPARE(day->records.size(), 4);
    QCOMPARE(day->records[0], recs[3]);
    QCOMPARE(day->records[3], recs[0]);
    // CR LF on disk.
    QFile f(dayFilePath(m_dir->path(), kDay));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll().count("\r\n"), 4);
}

void TestDayFile::saveOfNothingDeletesFile()
{
    QVERIFY(saveDay(m_dir->path(), kDay, QList<TSkedRec>{rec(1, 1, "x")}).ok());
    QVERIFY(QFile::exists(dayFilePath(m_dir->path(), kDay)));
    QVERIFY(saveDay(m_dir->path(), kDay, QList<TSkedRec>{}).ok());
    QVERIFY(!QFile::exists(dayFilePath(m_dir->path(), kDay)));
    QVERIFY(saveDay(m_dir->path(), kDay, QList<TSkedRec*>{}).ok()); // nothing to delete: fine
}

void TestDayFile::categoryFilter()
{
    const QList<TSkedRec> all{rec(1, 1, "none"), rec(2, 2, "a", "A"), rec(3, 3, "b", "B")};
    QVERIFY(saveDay(m_dir->path(), kDay, all).ok());
    const TDayLoadResult shown = loadDay(m_dir->path(), kDay, "A");
    QCOMPARE(shown->records.size(), 2);
    QCOMPARE(shown->records[0].ID, 1);
    QCOMPARE(shown->records[1].ID, 2);
    // The column now holds one new record of category A only.
    TSkedRec fresh = rec(5, 9, "a2", "A");
    QList<TSkedRec*> column{&fresh};
    QVERIFY(saveDay(m_dir->path(), kDay, column, "A").ok());
    const TDayLoadResult after = loadDay(m_dir->path(), kDay);
    QCOMPARE(after->records.size(), 2);
    QCOMPARE(after->records[0], all[2]); // "3..." stays, untouched
    QCOMPARE(after->records[1], fresh);
    // Without a filter the column replaces everything.
    QVERIFY(saveDay(m_dir->path(), kDay, QList<TSkedRec>{fresh}).ok());
    QCOMPARE(loadDay(m_dir->path(), kDay)->records, QList<TSkedRec>{fresh});
}

void TestDayFile::badLinesAreReportedAndKept()
{
    const QString good = formatSkedLine(rec(4, 4, "good"));
    const QString shortLine = QStringLiteral("1\t2\tclBlack");
    writeFile({badLine(), good, "", shortLine});
    const TDayLoadResult day = loadDay(m_dir->path(), kDay);
    QCOMPARE(day->records.size(), 1);
    QCOMPARE(day->problems.size(), 2);
    QCOMPARE(day->problems[0].lineNumber, 1);
    QCOMPARE(day->problems[0].line, badLine());
    QCOMPARE(day->problems[1].lineNumber, 4);
    QVERIFY(day->problems[1].file.endsWith("20030305.dat"));
    QVERIFY(!day->problems[1].reason.isEmpty());
    // Saving the shown records, and even saving none, keeps both bad lines.
    QVERIFY(saveDay(m_dir->path(), kDay, day->records).ok());
    QCOMPARE(fileLines(), (QStringList{shortLine, good, badLine()}));
    QVERIFY(saveDay(m_dir->path(), kDay, QList<TSkedRec>{}, "A").ok());
    QCOMPARE(fileLines(), (QStringList{shortLine, badLine()}));
    QVERIFY(saveDay(m_dir->path(), kDay, QList<TSkedRec>{}).ok());
    QCOMPARE(fileLines(), (QStringList{shortLine, badLine()}));
}

void TestDayFile::appendAddsAtEnd()
{
    writeFile({formatSkedLine(rec(9, 1, "z")), badLine()});
    QVERIFY(appendSkedRec(m_dir->path(), rec(1, 2, "a")).ok());
    QCOMPARE(fileLines(),
             (QStringList{formatSkedLine(rec(9, 1, "z")), badLine(), formatSkedLine(rec(1, 2, "a"))}));
    // A missing file is created; the record's own date names it.
    TSkedRec other = rec(3, 3, "other day");
    other.setDate(QDate(2026, 12, 7));
    QVERIFY(appendSkedRec(m_dir->path(), other).ok());
    QCOMPARE(loadDay(m_dir->path(), QDate(2026, 12, 7))->records, QList<TSkedRec>{other});
}

void TestDayFile::deleteById()
{
    QVERIFY(saveDay(m_dir->path(), kDay, QList<TSkedRec>{rec(1, 7, "a"), rec(2, 8, "b"), rec(3, 7, "c")}).ok());
    QList<qint32> withdrawn;
    auto withdraw = [&](qint32 id) { withdrawn << id; };
    TDayWriteResult r = deleteSkedById(m_dir->path(), kDay, 70, withdraw);
    QVERIFY(r.ok() && !r->removed);
    QVERIFY(withdrawn.isEmpty());
    r = deleteSkedById(m_dir->path(), kDay, 7, withdraw);
    QVERIFY(r.ok() && r->removed);
    QCOMPARE(withdrawn, (QList<qint32>{7, 7}));
    QCOMPARE(loadDay(m_dir->path(), kDay)->records, QList<TSkedRec>{rec(2, 8, "b")});
    r = deleteSkedById(m_dir->path(), kDay, 8, {});
    QVERIFY(r.ok() && r->removed);
    QVERIFY(!QFile::exists(dayFilePath(m_dir->path(), kDay)));
    r = deleteSkedById(m_dir->path(), kDay, 8, withdraw);
    QVERIFY(r.ok() && !r->removed);
}

void TestDayFile::deleteKeepsBadLinesAndWithdrawsAfterWrite()
{
    writeFile({badLine(), formatSkedLine(rec(1, 5, "x"))});
    bool fileGoneWhenCalled = false;
    const TDayWriteResult r = deleteSkedById(m_dir->path(), kDay, 5, [&](qint32) {
        fileGoneWhenCalled = !fileLines().join('\n').contains("\t5\t");
    });
    QVERIFY(r->removed);
    QVERIFY(fileGoneWhenCalled);
    QCOMPARE(fileLines(), QStringList{badLine()});
}

void TestDayFile::legacyFileReadsAndOldLinesComeUpToDate()
{
    // A file written on Windows by an older version: CP932, ten fields.
    QStringEncoder sjis("CP932");
    const QByteArray bytes =
        sjis.encode(QStringLiteral("16\t18\tclWindowText\tclWindowText\t1\t-1\t143005123\t\t会議\t\r\n"));
    QVERIFY(writeFileAtomic(dayFilePath(m_dir->path(), kDay), bytes));
    const TDayLoadResult day = loadDay(m_dir->path(), kDay);
    QCOMPARE(day->records.size(), 1);
    QCOMPARE(day->records[0].Text, QStringLiteral("会議"));
    QCOMPARE(day->records[0].AlarmMinutes, -1);
    QVERIFY(saveDay(m_dir->path(), kDay, day->records).ok());
    QCOMPARE(fileLines(), QStringList{QStringLiteral(
                              "16\t18\tclWindowText\tclWindowText\t1\t-1\t143005123\t\t会議\t\t-1\t\t0")});
}

void TestDayFile::unreadableFileIsNotOverwritten()
{
    // A folder where the day file should be cannot be read: nothing is written.
    QVERIFY(QDir(m_dir->path()).mkdir(dayFileName(kDay)));
    QVERIFY(!loadDay(m_dir->path(), kDay).ok());
    TDayWriteResult r = saveDay(m_dir->path(), kDay, QList<TSkedRec>{rec(1, 1, "x")});
    QVERIFY(!r.ok());
    QVERIFY(!r.message().isEmpty());
    QVERIFY(!appendSkedRec(m_dir->path(), rec(1, 1, "x")).ok());
    QVERIFY(!deleteSkedById(m_dir->path(), kDay, 1, {}).ok());
    // A folder that does not exist: the write fails and says so.
    r = saveDay(m_dir->filePath("nowhere"), kDay, QList<TSkedRec>{rec(1, 1, "x")});
    QVERIFY(!r.ok());
    QVERIFY(!r.message().isEmpty());
}

// A stray byte garbles nothing: every line the save did not change keeps its
// exact bytes, around valid lines in UTF-8 and CP932 and one in another
// colour notation; only the edited schedule is written anew.
void TestDayFile::untouchedLinesKeepTheirBytes()
{
    QStringEncoder sjis("CP932");
    const QByteArray edited =
        QStringLiteral("16\t18\tclWindowText\tclWindowText\t1\t-1\t1\t\t会議\t\t-1\t\t0").toUtf8();
    const QList<QByteArray> kept{
        sjis.encode(QStringLiteral("20\t21\t$00000000\tclBlack\t0\t-1\t2\t\t昼食\t\t-1\t\t0")),
        "22\t23\tclBlack\tclBlack\t0\t-1\t3\t\t\xFF\xFE\x81 stray\t\t-1\t\t0",
        "\x80\x81garbage\tnot a schedule",
    };
    const QString path = dayFilePath(m_dir->path(), kDay);
    for (quint32 seed = 1; seed <= 20; ++seed) {
        const QByteArray input = withStrayLines(kept, seed);
        QVERIFY(writeFileAtomic(path, edited + "\r\n" + input));
        TDayLoadResult day = loadDay(m_dir->path(), kDay);
        QCOMPARE(day->records.size(), 3);
        day->records[0].Text = QStringLiteral("会議室変更");
        QVERIFY(saveDay(m_dir->path(), kDay, day->records).ok());

        QList<QByteArray> output = fileByteLines(path);
        QByteArray missing;
        QVERIFY2(takeAll(byteLinesOf(input), output, &missing), missing.toHex().constData());
        QCOMPARE(output, QList<QByteArray>{QStringLiteral("16\t18\tclWindowText\tclWindowText\t1\t-1\t1\t\t"
                                                          "会議室変更\t\t-1\t\t0")
                                               .toUtf8()});
    }
}

// A line behind a byte-order mark in the middle of a day file (files joined
// together) keeps the mark through a paste into the day and a delete, also
// when it is the first or the only line written.
void TestDayFile::markInsideTheFileStaysWithItsLine()
{
    const QByteArray marked("\xEF\xBB\xBF\x03\x00x", 6);
    const QString path = dayFilePath(m_dir->path(), kDay);
    QVERIFY(writeFileAtomic(path, "16\t18\tclBlack\tclBlack\t0\t-1\t7\t\tA\t\t-1\t\t0\r\n" + marked + "\r\n"));
    const auto linesOnDisk = [&] {
        QList<QByteArray> lines;
        const TextReadResult read = readTextLines(path);
        for (const TextLine& line : read->textLines) {
            lines << line.bytes();
        }
        return lines;
    };
    TDayLoadResult day = loadDay(m_dir->path(), kDay);
    QCOMPARE(day->problems.size(), 1);
    TSkedRec pasted = day->records.at(0);
    pasted.ID = 8;
    pasted.StartTime = 2;
    pasted.EndTime = 3;
    day->records.append(pasted);
    QVERIFY(saveDay(m_dir->path(), kDay, day->records).ok());
    QVERIFY(linesOnDisk().contains(marked));
    QVERIFY(deleteSkedById(m_dir->path(), kDay, 7).ok());
    QVERIFY(deleteSkedById(m_dir->path(), kDay, 8).ok());
    QCOMPARE(linesOnDisk(), QList<QByteArray>{marked});
    QCOMPARE(loadDay(m_dir->path(), kDay)->problems.at(0).line, decodeLine(marked));
}

// A day of no year a day file can name (as a damaged setting once showed) is
// refused with a message instead of being stored under another day's name.
void TestDayFile::dayOutsideTheYearsIsRefused()
{
    const QDate far = QDate(2026, 12, 8).addDays(qint64(INT_MIN));
    TSkedRec rec;
    rec.setDate(far);
    rec.StartTime = 18;
    rec.EndTime = 19;
    rec.Text = QStringLiteral("x");
    TDayWriteResult r = appendSkedRec(m_dir->path(), rec);
    QVERIFY(!r.ok());
    QVERIFY(r.message().contains(QStringLiteral("9999")));
    r = saveDay(m_dir->path(), far, QList<TSkedRec>{rec});
    QVERIFY(!r.ok());
    QVERIFY(QDir(m_dir->path()).entryList(QDir::Files).isEmpty());
}

void TestDayFile::findById()
{
    QVERIFY(saveDay(m_dir->path(), kDay, QList<TSkedRec>{rec(1, 1, "a", "A"), rec(2, 2, "b", "B")}).ok());
    const auto found = findSkedById(m_dir->path(), kDay, 2);
    QVERIFY(found.has_value());
    QCOMPARE(found->Text, QStringLiteral("b"));
    QVERIFY(!findSkedById(m_dir->path(), kDay, 3).has_value());
}

QTEST_GUILESS_MAIN(TestDayFile)
#include "tst_dayfile.moc"
