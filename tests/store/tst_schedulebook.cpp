// The schedule book: each change writes its day file(s) first and only then
// tells the alarm sink; every failure comes back as a result naming the file.
#include <QtTest>

#include <QTemporaryDir>
#include <cerrno>

#include "../common/records.h"
#include "core/textfile.h"
#include "store/schedulebook.h"

using namespace nox;

namespace
{

const QDate kDay(2003, 3, 5);
const QDate kOther(2003, 3, 6);

TSkedRec rec(const QDate& date, int start, qint32 id, const QString& text, const QString& category = {})
{
    return testing::skedRecord(date, start, id, text, category);
}

QString badLine()
{
    return QStringLiteral("oops\tnot a schedule");
}

struct RecordingSink : ScheduleAlarmSink {
    QList<TAlarmUpdate> updates;
    BookResult answer = BookResult::success({});
    BookResult UpdateScheduleAlarms(const QList<TAlarmUpdate>& list) override
    {
        updates += list;
        return answer;
    }
};

// Counts the atomic writes per file and fails those whose path ends with
// `failing` (at the rename, so a temporary file was written first).
struct WriteSpy {
    QMap<QString, int> writes;
    QString failing;
    WriteSpy()
    {
        setWriteFaultHook([this](const QString& path, WriteStep step) {
            if (step != WriteStep::Rename) {
                return 0;
            }
            const QString name = path.section(QLatin1Char('/'), -1);
            ++writes[name];
            return !failing.isEmpty() && name == failing ? EIO : 0;
        });
    }
    ~WriteSpy() { setWriteFaultHook({}); }
};

using Operation = std::function<BookResult(ScheduleBook&)>;

} // namespace

class TestScheduleBook : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { setWriteFaultHook({}); }
    void readsDaysLinesAndDates();
    void readsDayBytesByDate_data();
    void readsDayBytesByDate();
    void saveDayKeepsHiddenAndBadLinesThenUpdatesAlarms();
    void addAppendsWithModeNew();
    void replaceInOneDayIsOneWrite();
    void replaceAcrossDaysWritesTheNewDayFirst();
    void replaceLeavesADuplicateWhenTheOldDayCannotBeWritten();
    void removeWithdrawsOncePerLine();
    void moveAndCopy();
    void rewriteFieldsChangesOnlyTheFirstLine();
    void rewriteLinesForWholeFilePasses();
    void failedWriteLeavesFileAndAlarms_data();
    void failedWriteLeavesFileAndAlarms();
    void unreadableDayIsNeverOverwritten();
    void failingSinkIsReported();
    void withoutSinkNoAlarmsChange();
    void newIdIsUniqueWithinOneMillisecond();

private:
    QString folder() const { return m_dir->path(); }
    QStringList fileLines(const QDate& date) const
    {
        return readTextLines(dayFilePath(folder(), date))->lines;
    }
    void writeFile(const QDate& date, const QStringList& lines)
    {
        QVERIFY(writeTextLines(dayFilePath(folder(), date), lines));
    }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingSink> m_sink;
    std::unique_ptr<ScheduleBook> m_book;
};

void TestScheduleBook::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_sink = std::make_unique<RecordingSink>();
    m_book = std::make_unique<ScheduleBook>(m_dir->path(), m_sink.get());
}

void TestScheduleBook::readsDaysLinesAndDates()
{
    writeFile(kDay,
              {formatSkedLine(rec(kDay, 20, 2, "b", "B")), badLine(), formatSkedLine(rec(kDay, 18, 1, "a"))});
    writeFile(kOther, {formatSkedLine(rec(kOther, 1, 3, "c"))});
    writeFile(QDate(2003, 4, 1), {formatSkedLine(rec(QDate(2003, 4, 1), 1, 4, "d"))});

    const BookDay all = m_book->day(kDay);
    QVERIFY(all.result.ok());
    QCOMPARE(all.records.size(), 2);
    QCOMPARE(all.records.at(0).ID, 2); // file order
    QCOMPARE(all.records.at(1).date(), kDay);
    QCOMPARE(all.problems.size(), 1);
    QCOMPARE(all.problems.at(0).lineNumber, 2);
    QCOMPARE(m_book->day(kDay, "A").records.size(), 1); // "b" of category B hidden
    QVERIFY(m_book->day(QDate(2003, 1, 1)).records.isEmpty());

    QCOMPARE(m_book->find(kDay, 2)->Text, QStringLiteral("b"));
    QVERIFY(!m_book->find(kDay, 3));
    QCOMPARE(m_book->lines(kDay).lines.at(1), badLine());
    QCOMPARE(m_book->dates().size(), 3);
    QCOMPARE(m_book->dates(kOther, QDate(2003, 3, 31)), QList<QDate>{kOther});
    QVERIFY(m_sink->updates.isEmpty());
}

void TestScheduleBook::saveDayKeepsHiddenAndBadLinesThenUpdatesAlarms()
{
    const QString hidden = formatSkedLine(rec(kDay, 30, 9, "other", "B"));
    writeFile(kDay, {hidden, badLine(), formatSkedLine(rec(kDay, 2, 1, "old", "A"))});
    const TSkedRec moved = rec(kDay, 16, 5, "new");
    const QList<TAlarmUpdate> alarms{{moved, amStoredAgain}};
    QVERIFY(m_book->saveDay(kDay, {rec(kDay, 16, 5, "new"), rec(kDay, 10, 6, "x", "A")}, "A", alarms).ok());
    QCOMPARE(fileLines(kDay), QStringList({formatSkedLine(rec(kDay, 10, 6, "x", "A")),
                                           formatSkedLine(rec(kDay, 16, 5, "new")), hidden, badLine()}));
    QCOMPARE(m_sink->updates, alarms);

    QVERIFY(m_book->saveDay(kDay, {}, "B").ok());
    // The A line is hidden under filter B; a line that is no schedule is never lost.
    QCOMPARE(fileLines(kDay), QStringList({formatSkedLine(rec(kDay, 10, 6, "x", "A")), badLine()}));
    QVERIFY(m_book->saveDay(kDay, {}).ok());
    QCOMPARE(fileLines(kDay), QStringList{badLine()});
}

void TestScheduleBook::addAppendsWithModeNew()
{
    writeFile(kDay, {formatSkedLine(rec(kDay, 40, 1, "late"))});
    const TSkedRec early = rec(kDay, 2, 2, "early");
    const BookResult r = m_book->add(early);
    QVERIFY(r.ok());
    QCOMPARE(*r->record, early);
    QCOMPARE(fileLines(kDay).last(), formatSkedLine(early)); // appended, not sorted
    QCOMPARE(m_sink->updates, (QList<TAlarmUpdate>{{early, amNew}}));
}

void TestScheduleBook::replaceInOneDayIsOneWrite()
{
    writeFile(kDay, {formatSkedLine(rec(kDay, 1, 7, "a")), badLine(),
                     formatSkedLine(rec(kDay, 2, 7, "again")), formatSkedLine(rec(kDay, 3, 8, "b"))});
    WriteSpy spy;
    const TSkedRec edited = rec(kDay, 5, 7, "edited");
    const BookResult r = m_book->replace(kDay, 7, edited);
    QVERIFY(r.ok());
    QCOMPARE(r->count, 2);
    QCOMPARE(spy.writes.value("20030305.dat"), 1);
    QCOMPARE(fileLines(kDay),
             QStringList({badLine(), formatSkedLine(rec(kDay, 3, 8, "b")), formatSkedLine(edited)}));
    QCOMPARE(m_sink->updates.size(), 3);
    QCOMPARE(m_sink->updates.at(0).mode, amRemoved);
    QCOMPARE(m_sink->updates.at(2), (TAlarmUpdate{edited, amEdited}));
}

void TestScheduleBook::replaceAcrossDaysWritesTheNewDayFirst()
{
    writeFile(kDay, {formatSkedLine(rec(kDay, 1, 7, "a"))});
    QStringList order;
    setWriteFaultHook([&](const QString& path, WriteStep step) {
        if (step == WriteStep::Rename) {
            order << path.section(QLatin1Char('/'), -1);
        }
        return 0;
    });
    const TSkedRec moved = rec(kOther, 1, 7, "a");
    const BookResult r = m_book->replace(kDay, 7, moved, amStoredAgain);
    QVERIFY(r.ok());
    QCOMPARE(order, QStringList({"20030306.dat"})); // the emptied old day is deleted, not written
    QVERIFY(!QFile::exists(dayFilePath(folder(), kDay)));
    QCOMPARE(m_book->day(kOther).records, QList<TSkedRec>{moved});
    QCOMPARE(m_sink->updates.last(), (TAlarmUpdate{moved, amStoredAgain}));
}

// A failed second write keeps the schedule twice, never loses it.
void TestScheduleBook::replaceLeavesADuplicateWhenTheOldDayCannotBeWritten()
{
    writeFile(kDay, {formatSkedLine(rec(kDay, 1, 7, "a")), formatSkedLine(rec(kDay, 2, 8, "b"))});
    WriteSpy spy;
    spy.failing = "20030305.dat";
    const TSkedRec moved = rec(kOther, 1, 7, "a");
    const BookResult r = m_book->replace(kDay, 7, moved);
    QCOMPARE(r.code(), BookStatus::Failed);
    QCOMPARE(r.file(), dayFilePath(folder(), kDay));
    QVERIFY(r.message().contains(dayFilePath(folder(), kDay)));
    QCOMPARE(*r->record, moved);
    QVERIFY(m_book->find(kDay, 7));
    QVERIFY(m_book->find(kOther, 7));
    QCOMPARE(m_sink->updates, (QList<TAlarmUpdate>{{moved, amEdited}})); // the stored schedule's alarms
}

void TestScheduleBook::removeWithdrawsOncePerLine()
{
    writeFile(kDay, {formatSkedLine(rec(kDay, 1, 7, "a")), formatSkedLine(rec(kDay, 2, 8, "b")),
                     formatSkedLine(rec(kDay, 3, 7, "c"))});
    BookResult r = m_book->remove(kDay, 7);
    QVERIFY(r.ok());
    QCOMPARE(r->count, 2);
    QCOMPARE(m_sink->updates.size(), 2);
    QCOMPARE(m_sink->updates.at(0).rec.ID, 7);
    QCOMPARE(m_sink->updates.at(1).mode, amRemoved);
    r = m_book->remove(kDay, 7);
    QCOMPARE(r.code(), BookStatus::NotFound);
    QCOMPARE(r->count, 0);
    QCOMPARE(m_book->remove(QDate(2003, 1, 1), 7).code(), BookStatus::NotFound);
    QCOMPARE(m_sink->updates.size(), 2);
}

void TestScheduleBook::moveAndCopy()
{
    writeFile(kDay, {formatSkedLine(rec(kDay, 1, 7, "a"))});
    m_book->setClock([] { return QDateTime(QDate(2031, 1, 2), QTime(9, 0, 0, 5)); });
    const BookResult copied = m_book->copy(rec(kOther, 10, 7, "a"));
    QVERIFY(copied.ok());
    QCOMPARE(copied->record->ID, 90000005);
    QCOMPARE(m_book->day(kOther).records.at(0).ID, 90000005);
    QCOMPARE(m_book->day(kDay).records.size(), 1);
    QCOMPARE(m_sink->updates.last().mode, amStoredAgain);

    const BookResult moved = m_book->move(kDay, 7, rec(kOther, 20, 7, "a"));
    QVERIFY(moved.ok());
    QCOMPARE(moved->count, 1);
    QVERIFY(!QFile::exists(dayFilePath(folder(), kDay)));
    QCOMPARE(m_book->day(kOther).records.size(), 2);
    QCOMPARE(m_sink->updates.last(), (TAlarmUpdate{rec(kOther, 20, 7, "a"), amStoredAgain}));

    // Another program changed a day after it was shown: the one schedule
    // goes into the file as it stands, and the caller is told to read again.
    QCOMPARE(m_book->day(kOther).records.size(), 2);
    writeFile(kOther, {formatSkedLine(rec(kOther, 20, 7, "a")), formatSkedLine(rec(kOther, 30, 8, "other"))});
    const BookResult back = m_book->move(kOther, 7, rec(kDay, 20, 7, "a"));
    QCOMPARE(back.code(), BookStatus::ChangedOnDisk);
    QVERIFY(back.message().contains(dayFilePath(folder(), kOther)));
    QCOMPARE(back->record, std::optional<TSkedRec>(rec(kDay, 20, 7, "a")));
    QCOMPARE(m_book->day(kOther).records, QList<TSkedRec>{rec(kOther, 30, 8, "other")});
    QCOMPARE(m_book->day(kDay).records.size(), 1);
    writeFile(kDay, {formatSkedLine(rec(kDay, 20, 7, "a")), formatSkedLine(rec(kDay, 4, 9, "other"))});
    const BookResult again = m_book->copy(rec(kDay, 21, 7, "a"));
    QCOMPARE(again.code(), BookStatus::ChangedOnDisk);
    QVERIFY(again->record && again->record->ID != 7);
    QCOMPARE(m_book->day(kDay).records.size(), 3);
    // in step again: plain success
    QVERIFY(m_book->copy(rec(kDay, 22, 7, "a")).ok());
}

void TestScheduleBook::rewriteFieldsChangesOnlyTheFirstLine()
{
    const QString old = "1\t2\tclBlack\tclBlack\t0\t-1\t7\tm\tten fields"; // nine fields: padded
    const QString second = formatSkedLine(rec(kDay, 3, 7, "second"));
    writeFile(kDay, {badLine(), old, second});
    const BookResult r = m_book->rewriteFields(kDay, 7, [](QStringList& fields) {
        QCOMPARE(fields.size(), 10);
        fields[kSkedFieldCategory] = "仕事";
    });
    QVERIFY(r.ok());
    QCOMPARE(fileLines(kDay), QStringList({badLine(), old + "\t仕事", second}));
    QCOMPARE(m_book->rewriteFields(kDay, 99, [](QStringList&) {}).code(), BookStatus::NotFound);
    QCOMPARE(m_book->rewriteFields(kOther, 7, [](QStringList&) {}).code(), BookStatus::NotFound);
    QVERIFY(m_sink->updates.isEmpty());
}

void TestScheduleBook::rewriteLinesForWholeFilePasses()
{
    writeFile(kDay, {"a", "", "b"});
    WriteSpy spy;
    QVERIFY(m_book->rewriteLines(kDay, [](QStringList&) { return false; }).ok());
    QCOMPARE(spy.writes.value("20030305.dat"), 0);
    QVERIFY(m_book
                ->rewriteLines(kDay,
                               [](QStringList& lines) {
                                   lines[2] = "c";
                                   return true;
                               })
                .ok());
    QCOMPARE(fileLines(kDay), QStringList({"a", "", "c"}));
    QVERIFY(m_book
                ->rewriteLines(kDay,
                               [](QStringList& lines) {
                                   lines = {""};
                                   return true;
                               })
                .ok());
    QVERIFY(!QFile::exists(dayFilePath(folder(), kDay)));
}

void TestScheduleBook::failedWriteLeavesFileAndAlarms_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("failingFile");
    QTest::newRow("saveDay") << Operation([](ScheduleBook& b) {
        return b.saveDay(kDay, {rec(kDay, 3, 9, "c")}, {}, {{rec(kDay, 3, 9, "c"), amNew}});
    }) << "20030305.dat";
    QTest::newRow("add") << Operation([](ScheduleBook& b) { return b.add(rec(kDay, 5, 9, "x")); })
                         << "20030305.dat";
    QTest::newRow("replace one day") << Operation([](ScheduleBook& b) {
        return b.replace(kDay, 7, rec(kDay, 5, 7, "x"));
    }) << "20030305.dat";
    QTest::newRow("replace new day") << Operation([](ScheduleBook& b) {
        return b.replace(kDay, 7, rec(kOther, 5, 7, "x"));
    }) << "20030306.dat";
    QTest::newRow("remove") << Operation([](ScheduleBook& b) { return b.remove(kDay, 8); }) << "20030305.dat";
    QTest::newRow("move") << Operation([](ScheduleBook& b) {
        return b.move(kDay, 7, rec(kOther, 2, 7, "a"));
    }) << "20030306.dat";
    QTest::newRow("copy") << Operation([](ScheduleBook& b) { return b.copy(rec(kDay, 2, 7, "a")); })
                          << "20030305.dat";
    QTest::newRow("rewriteFields") << Operation([](ScheduleBook& b) {
        return b.rewriteFields(kDay, 7, [](QStringList& f) { f[kSkedFieldCategory] = "B"; });
    }) << "20030305.dat";
}

void TestScheduleBook::failedWriteLeavesFileAndAlarms()
{
    QFETCH(Operation, operation);
    QFETCH(QString, failingFile);
    const QStringList before{formatSkedLine(rec(kDay, 1, 7, "a")), formatSkedLine(rec(kDay, 2, 8, "b"))};
    writeFile(kDay, before);
    WriteSpy spy;
    spy.failing = failingFile;
    const BookResult r = operation(*m_book);
    QCOMPARE(r.code(), BookStatus::Failed);
    QCOMPARE(r.file(), folder() + "/" + failingFile);
    QVERIFY2(r.message().contains(r.file()), qPrintable(r.message()));
    QVERIFY2(r.message().contains(QString::fromLocal8Bit(strerror(EIO))), qPrintable(r.message()));
    QCOMPARE(fileLines(kDay), before);
    QVERIFY(!QFile::exists(dayFilePath(folder(), kOther)));
    QVERIFY(m_sink->updates.isEmpty());
}

void TestScheduleBook::unreadableDayIsNeverOverwritten()
{
    // A folder where the day file should be cannot be read.
    QVERIFY(QDir(folder()).mkdir(dayFileName(kDay)));
    QCOMPARE(m_book->day(kDay).result.code(), BookStatus::Failed);
    QCOMPARE(m_book->lines(kDay).result.code(), BookStatus::Failed);
    for (const BookResult& r :
         {m_book->saveDay(kDay, {rec(kDay, 1, 1, "x")}), m_book->add(rec(kDay, 1, 1, "x")),
          m_book->replace(kDay, 1, rec(kDay, 1, 1, "x")), m_book->remove(kDay, 1),
          m_book->rewriteFields(kDay, 1, [](QStringList&) {}),
          m_book->rewriteLines(kDay, [](QStringList&) { return true; })}) {
        QCOMPARE(r.code(), BookStatus::Failed);
        QCOMPARE(r.file(), dayFilePath(folder(), kDay));
    }
    QVERIFY(QFileInfo(dayFilePath(folder(), kDay)).isDir());
    QVERIFY(m_sink->updates.isEmpty());
}

void TestScheduleBook::failingSinkIsReported()
{
    m_sink->answer =
        Status::failed("/x/alarm.nox", "ファイル「/x/alarm.nox」に書き込めません: 読み取り専用");
    const BookResult r = m_book->add(rec(kDay, 1, 7, "a"));
    QCOMPARE(r.code(), BookStatus::Failed);
    QCOMPARE(r.file(), QStringLiteral("/x/alarm.nox"));
    QVERIFY(r->record.has_value());
    QVERIFY(m_book->find(kDay, 7)); // the schedule itself is stored
}

void TestScheduleBook::withoutSinkNoAlarmsChange()
{
    ScheduleBook book(folder(), nullptr);
    QVERIFY(book.add(rec(kDay, 1, 7, "a")).ok());
    QVERIFY(book.remove(kDay, 7).ok());
    QVERIFY(m_sink->updates.isEmpty());
}

void TestScheduleBook::newIdIsUniqueWithinOneMillisecond()
{
    QTime time(14, 30, 5, 123);
    QDate date(2031, 5, 6);
    m_book->setClock([&] { return QDateTime(date, time); });
    QCOMPARE(m_book->newId(), 143005123);
    QCOMPARE(m_book->newId(), 143005124);  // the same millisecond
    ScheduleBook other(folder(), nullptr); // the whole process shares the memory
    other.setClock([&] { return QDateTime(date, time); });
    QCOMPARE(other.newId(), 143005125);
    time = QTime(9, 0); // the clock went back
    QCOMPARE(m_book->newId(), 143005126);
    date = date.addDays(1); // a new day starts afresh
    QCOMPARE(m_book->newId(), 90000000);
}

void TestScheduleBook::readsDayBytesByDate_data()
{
    QTest::addColumn<QDate>("first");
    QTest::addColumn<int>("days");
    QTest::newRow("first day of the calendar") << QDate(1, 1, 1) << 3;
    QTest::newRow("1600, a leap year of 400") << QDate(1600, 2, 27) << 4;
    QTest::newRow("1900, no leap year") << QDate(1900, 2, 27) << 3;
    QTest::newRow("around 2000, every day") << QDate(1999, 12, 1) << 500;
    QTest::newRow("2100, no leap year") << QDate(2100, 2, 27) << 3;
    QTest::newRow("last days of year 9999") << QDate(9999, 12, 30) << 2;
}

// Each day's bytes come from its own file, read by the book and by a reader
// of many days; a missing day reads as empty, a day that cannot be read fails.
void TestScheduleBook::readsDayBytesByDate()
{
    QFETCH(QDate, first);
    QFETCH(int, days);
    QTemporaryDir dir;
    for (int i = 0; i < days; i += 2) {
        const QDate d = first.addDays(i);
        QVERIFY(writeTextLines(dayFilePath(dir.path(), d), {d.toString(Qt::ISODate)}));
    }
    const ScheduleBook book(dir.path(), nullptr);
    const DayFileReader reader(book);
    QByteArray bytes;
    for (int i = 0; i < days; ++i) {
        const QDate d = first.addDays(i);
        const QByteArray expected = i % 2 == 0 ? d.toString(Qt::ISODate).toLatin1() + "\r\n" : QByteArray();
        QVERIFY(book.readDayBytes(d, &bytes).ok());
        QCOMPARE(bytes, expected);
        QVERIFY(reader.read(d, &bytes).ok());
        QCOMPARE(bytes, expected);
    }
    QVERIFY(QDir(dir.path()).mkdir(dayFileName(first.addDays(1))));
    for (const BookResult& r :
         {book.readDayBytes(first.addDays(1), &bytes), reader.read(first.addDays(1), &bytes)}) {
        QVERIFY(!r.ok());
        QCOMPARE(r.file(), book.dayFile(first.addDays(1)));
        QVERIFY(r.message().contains(r.file()));
    }
}

QTEST_GUILESS_MAIN(TestScheduleBook)
#include "tst_schedulebook.moc"
