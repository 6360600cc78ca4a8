// The schedule book's cache of parsed days: served from memory only while the
// file is as it was read, bounded, and the merge when a day is saved whose
// file another program changed since the book handed it out.
#include <QtTest>

#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/stat.h>

#include "../common/records.h"
#include "core/textfile.h"
#include "store/daycache.h"
#include "store/schedulebook.h"

using namespace nox;

namespace
{

const QDate kDay(2003, 3, 5);

TSkedRec rec(int start, qint32 id, const QString& text)
{
    return testing::skedRecord(kDay, start, id, text);
}

QString line(int start, qint32 id, const QString& text)
{
    return formatSkedLine(rec(start, id, text));
}

// Sets the file's modification time to `seconds` before now, or to exactly
// `stamp` when given.
void setModified(const QString& path, qint64 secondsAgo, const timespec* stamp = nullptr)
{
    timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    if (stamp) {
        times[1] = *stamp;
    } else {
        times[1].tv_sec = time(nullptr) - secondsAgo;
        times[1].tv_nsec = 0;
    }
    QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

timespec modified(const QString& path)
{
    struct stat st {};
    stat(QFile::encodeName(path).constData(), &st);
    return st.st_mtim;
}

// Rewrites the file in place (same inode) with bytes of the same length.
void overwriteInPlace(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QCOMPARE(f.size(), qint64(bytes.size()));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

} // namespace

class TestBookCache : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void aDayIsReadOnceWhileItsFileStays();
    void aChangedFileIsReadAgain_data();
    void aChangedFileIsReadAgain();
    void aRecentFileIsNotTrustedByItsStamp();
    void theCacheKeepsWithinItsBudget();
    void daysReadAheadAreServedFromMemory();
    void recordsAreThoseOfTheirLines_data();
    void recordsAreThoseOfTheirLines();
    void saveMergesADayChangedOnDisk_data();
    void saveMergesADayChangedOnDisk();

private:
    QString path() const { return dayFilePath(m_dir->path(), kDay); }
    void write(const QStringList& lines) { QVERIFY(writeTextLines(path(), lines)); }
    QStringList texts() { return m_book->lines(kDay).lines; }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScheduleBook> m_book;
};

void TestBookCache::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_book = std::make_unique<ScheduleBook>(m_dir->path(), nullptr);
}

// Both views and the search read through one book: one read of the file.
void TestBookCache::aDayIsReadOnceWhileItsFileStays()
{
    write({line(16, 1, "会議"), line(18, 2, "昼食")});
    setModified(path(), 3600);
    QCOMPARE(m_book->day(kDay).records.size(), 2);
    QCOMPARE(m_book->day(kDay, QStringLiteral("仕事")).records.size(), 2);
    QCOMPARE(m_book->lines(kDay).lines.size(), 2);
    QCOMPARE(m_book->find(kDay, 2)->Text, QStringLiteral("昼食"));
    QCOMPARE(m_book->cacheStats().fileReads, 1);
    QVERIFY(m_book->day(QDate(2003, 3, 6)).records.isEmpty()); // a missing day is kept as well
    QVERIFY(m_book->day(QDate(2003, 3, 6)).records.isEmpty());
    QCOMPARE(m_book->cacheStats().fileReads, 2);
}

// The days either side of those shown are read on the book's thread; showing
// them then reads no file, unless a file changed after it was read ahead. A
// book that goes while it reads ahead waits for the day being read.
void TestBookCache::daysReadAheadAreServedFromMemory()
{
    const QList<QDate> around = {kDay.addDays(-2), kDay.addDays(-1), kDay.addDays(1), kDay.addDays(2)};
    for (const QDate& date : around) {
        TSkedRec r = rec(10, 7, date.toString(Qt::ISODate));
        r.setDate(date);
        QVERIFY(writeTextLines(dayFilePath(m_dir->path(), date), {formatSkedLine(r)}));
        setModified(dayFilePath(m_dir->path(), date), 3600);
    }
    m_book->readAround(kDay, kDay, 2);
    m_book->waitForReadAhead();
    const int reads = m_book->cacheStats().fileReads;
    QCOMPARE(reads, 4);
    const QString changed = dayFilePath(m_dir->path(), around.first());
    QVERIFY(writeTextLines(changed, {line(20, 8, "後から")}));
    for (const QDate& date : around.mid(1)) {
        QCOMPARE(m_book->day(date).records.value(0).Text, date.toString(Qt::ISODate));
    }
    QCOMPARE(m_book->cacheStats().fileReads, reads);
    QCOMPARE(m_book->day(around.first()).records.value(0).Text, QStringLiteral("後から"));
    QCOMPARE(m_book->cacheStats().fileReads, reads + 1);

    QList<QDate> many;
    for (int i = 0; i < 3000; ++i) {
        many.append(kDay.addDays(i));
    }
    m_book->readAhead(many);
    m_book.reset();
}

void TestBookCache::recordsAreThoseOfTheirLines_data()
{
    QTest::addColumn<QString>("line");
    const QString head = QStringLiteral("16\t18\tclRed\t$00FF00\t1\t2\t4711\t");
    QTest::newRow("13 fields") << head + "メモ#13#10二行目\t会議\t仕事\t10\t/home/a b\t1";
    QTest::newRow("10 fields") << head + "\t会議\t仕事";
    QTest::newRow("11 fields, alarm not a number") << head + "m\tt\tc\tx";
    QTest::newRow("12 fields") << head + "m\tt\tc\t5\thttp://example.org/";
    QTest::newRow("empty texts, a last empty field") << head + "\t\t\t\t\t";
    QTest::newRow("fields past the 13th") << head + "m\tt\tc\t-1\tr\t0\tmore\t\tand more";
    QTest::newRow("one empty field past the 13th") << head + "m\tt\tc\t-1\tr\t0\t";
    QTest::newRow("spaces kept") << head + " m \t t \t c \t-1\t r \t1";
}

// A day is kept with each line's texts once and put together when handed
// out: the record is the one its line parses to, field for field.
void TestBookCache::recordsAreThoseOfTheirLines()
{
    QFETCH(QString, line);
    TSkedRec expected;
    QVERIFY(parseSkedLine(line, kDay, &expected).ok());
    write({QStringLiteral("壊れた行"), line});
    const BookDay day = m_book->day(kDay);
    QCOMPARE(day.records.size(), 1);
    const TSkedRec& got = day.records.first();
    QCOMPARE(got.Memo, expected.Memo);
    QCOMPARE(got.Text, expected.Text);
    QCOMPARE(got.Category, expected.Category);
    QCOMPARE(got.RelatedInfo, expected.RelatedInfo);
    QCOMPARE(got.ExtraFields, expected.ExtraFields);
    QVERIFY(got == expected);
    QCOMPARE(formatSkedLine(got), formatSkedLine(expected));
    QVERIFY(m_book->find(kDay, 4711) == expected);
    QCOMPARE(day.problems.size(), 1);
    QCOMPARE(day.problems.first().lineNumber, 1);
}

void TestBookCache::aChangedFileIsReadAgain_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("replaced by another program") << "replaced";
    QTest::newRow("changed in place to another size") << "grown";
    QTest::newRow("changed in place, same size, other time") << "touched";
    QTest::newRow("deleted") << "deleted";
}

void TestBookCache::aChangedFileIsReadAgain()
{
    QFETCH(QString, change);
    write({line(16, 1, "会議")});
    setModified(path(), 3600);
    QCOMPARE(texts(), QStringList{line(16, 1, "会議")});
    QStringList expected{line(16, 1, "面談")};
    if (change == "replaced") {
        write(expected);
    } else if (change == "grown") {
        expected = QStringList{line(16, 1, "会議"), line(20, 2, "夕食")};
        QFile f(path());
        QVERIFY(f.open(QIODevice::Append));
        f.write(encodeText(expected.last() + QStringLiteral("\r\n")));
    } else if (change == "touched") {
        overwriteInPlace(path(), encodeText(expected.first() + QStringLiteral("\r\n")));
        setModified(path(), 1800);
    } else {
        QVERIFY(QFile::remove(path()));
        expected.clear();
    }
    QCOMPARE(texts(), expected);
    QCOMPARE(m_book->day(kDay).records.size(), expected.size());
}

// Two changes within one tick of the file system's clock, in place and to
// the same size, leave the same stamp: a file read so soon after a change is
// read again at its next use.
void TestBookCache::aRecentFileIsNotTrustedByItsStamp()
{
    write({line(16, 1, "会議")});
    const timespec stamp = modified(path());
    QCOMPARE(texts(), QStringList{line(16, 1, "会議")});
    overwriteInPlace(path(), encodeText(line(16, 1, "面談") + QStringLiteral("\r\n")));
    setModified(path(), 0, &stamp);
    QCOMPARE(texts(), QStringList{line(16, 1, "面談")});

    // An old file is trusted: the same kind of change goes unseen, which
    // shows the day came from memory.
    setModified(path(), 3600);
    const timespec old = modified(path());
    QCOMPARE(texts(), QStringList{line(16, 1, "面談")});
    overwriteInPlace(path(), encodeText(line(16, 1, "会議") + QStringLiteral("\r\n")));
    setModified(path(), 0, &old);
    QCOMPARE(texts(), QStringList{line(16, 1, "面談")});
}

void TestBookCache::theCacheKeepsWithinItsBudget()
{
    constexpr qint64 kBudget = 16 * 1024;
    DayCache cache(kBudget);
    QList<QDate> dates;
    for (int i = 0; i < 200; ++i) {
        const QDate d = kDay.addDays(i);
        QVERIFY(writeTextLines(dayFilePath(m_dir->path(), d), {line(16, i, "会議"), line(20, i + 1000, "夕食")}));
        setModified(dayFilePath(m_dir->path(), d), 3600);
        QVERIFY(cache.read(dayFilePath(m_dir->path(), d), d).day);
        QVERIFY(cache.bytes() <= kBudget);
        dates << d;
    }
    QVERIFY(cache.size() > 10);
    QVERIFY(cache.size() < 200);
    // The most recent days are kept, the oldest were dropped and read again.
    const int reads = cache.fileReads();
    QCOMPARE(cache.read(dayFilePath(m_dir->path(), dates.last()), dates.last()).day->parsed.size(), 2);
    QCOMPARE(cache.fileReads(), reads);
    QCOMPARE(cache.read(dayFilePath(m_dir->path(), dates.first()), dates.first()).day->parsed.at(1).id,
             1000);
    QCOMPARE(cache.fileReads(), reads + 1);
}

void TestBookCache::saveMergesADayChangedOnDisk_data()
{
    QTest::addColumn<QString>("between");
    QTest::addColumn<bool>("merged");
    QTest::newRow("nothing") << "" << false;
    QTest::newRow("another program rewrote it") << "rewrite" << true;
    QTest::newRow("another program deleted it") << "delete" << true;
    QTest::newRow("rewritten with the same lines") << "same" << false;
    QTest::newRow("the book added a schedule") << "add" << false;
    QTest::newRow("the book removed a schedule") << "remove" << false;
    QTest::newRow("another program, then the book") << "rewrite+add" << true;
    QTest::newRow("another program, then read again") << "rewrite+reload" << false;
}

void TestBookCache::saveMergesADayChangedOnDisk()
{
    QFETCH(QString, between);
    QFETCH(bool, merged);
    write({line(16, 1, "会議"), line(18, 2, "昼食")});
    const BookDay shown = m_book->day(kDay);
    QCOMPARE(shown.records.size(), 2);
    const QStringList external{line(9, 7, "noxtool から")};
    if (between.startsWith("rewrite")) {
        write(external);
    } else if (between == "delete") {
        QVERIFY(QFile::remove(path()));
    } else if (between == "same") {
        write({line(16, 1, "会議"), line(18, 2, "昼食")});
    }
    QList<TSkedRec> records = shown.records;
    if (between.endsWith("add")) {
        QVERIFY(m_book->add(rec(20, 3, "夕食")).ok());
        records << rec(20, 3, "夕食");
    } else if (between == "remove") {
        QVERIFY(m_book->remove(kDay, 2).ok());
        records.removeLast();
    } else if (between.endsWith("reload")) {
        records = m_book->day(kDay).records;
    }
    const QStringList before = readTextLines(path())->lines;

    records.first().Text = QStringLiteral("会議 (変更)");
    const BookResult saved = m_book->saveDay(kDay, records);
    const QStringList after = readTextLines(path())->lines;
    QVERIFY(after.join(u'\n').contains(QStringLiteral("会議 (変更)")));
    if (merged) {
        QCOMPARE(saved.code(), BookStatus::ChangedOnDisk);
        QCOMPARE(saved.file(), path());
        QVERIFY(saved.message().contains(path()));
        for (const QString& theirs : before) { // the other program's lines stay
            QVERIFY2(after.contains(theirs), qPrintable(theirs));
        }
        // Read again, the day can be saved.
        records = m_book->day(kDay).records;
        QVERIFY(m_book->saveDay(kDay, records).ok());
    } else {
        QVERIFY2(saved.ok(), qPrintable(saved.message()));
    }
}

QTEST_GUILESS_MAIN(TestBookCache)
#include "tst_bookcache.moc"
