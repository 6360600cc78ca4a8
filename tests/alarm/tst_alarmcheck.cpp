// The minute checks: due alarms, the lookup of their schedules, time signals
// and the once-per-minute rule, driven by an injected clock.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <QTemporaryDir>
#include <QTest>

#include "../common/records.h"
#include "alarm/alarmcenter.h"
#include "core/textfile.h"
#include "store/dayfile.h"

using namespace nox;

namespace
{

const QDate kDay(2026, 12, 7);

// A day-file line: start, end, colours, style, image, ID, memo, text,
// category, alarm minutes, related information, open flag.
QString dayLine(int start, int end, qint32 id, const QString& text, int alarm, const QString& related = {},
                bool open = false)
{
    return testing::dayFileLine(start, end, id, text, {}, alarm, {}, related, open);
}

TSkedRec schedule(QDate date, int slot, int alarmMinutes, qint32 id)
{
    return testing::withAlarm(testing::skedRecord(date, slot, id), alarmMinutes);
}

// An alarm centre on a temporary data folder whose clock the test sets.
struct Fixture {
    QTemporaryDir dir;
    AlarmCenter center;
    QDateTime now;
    QList<PopupRequest> popups;

    Fixture()
    {
        center.setDataFolder(dir.path());
        center.clock = [this] { return now; };
        center.ShowPopupMessage = [this](const PopupRequest& r) { popups.append(r); };
    }
    void writeDay(QDate date, const QStringList& lines)
    {
        QVERIFY(writeTextLines(dir.filePath(date.toString("yyyyMMdd") + ".dat"), lines));
    }
    // One timer beat at the given moment; returns the popups it opened.
    QList<PopupRequest> beat(QDateTime at)
    {
        now = at;
        popups.clear();
        center.CheckAlarmsAndSignals();
        return popups;
    }
    QList<PopupRequest> beat(QDate date, QTime time) { return beat(QDateTime(date, time)); }
};

QStringList messages(const QList<PopupRequest>& popups)
{
    QStringList out;
    for (const PopupRequest& p : popups) {
        out << p.message;
    }
    return out;
}

AlarmSettings bells()
{
    AlarmSettings s;
    s.bellEnable = true;
    s.bellSound = QStringLiteral("Beep");
    return s;
}

} // namespace

class TestAlarmCheck : public QObject
{
    Q_OBJECT
private slots:
    void alarmFiresAtTheFirstBeatOfItsMinute();
    void stallsAndSuspends_data();
    void stallsAndSuspends();
    void lateAlarmsShareOnePopup();
    void reminderAndStartBothFire();
    void schedulesOfOneMinuteFireInListOrder();
    void passedEntriesGoSilentlyWhenALaterOneFires();
    void missingScheduleConsumesTheEntry();
    void unreadableDayFileIsToldAndStillPopsUp_data();
    void unreadableDayFileIsToldAndStillPopsUp();
    void reminderOnThePreviousDayFindsItsSchedule();
    void reminderLookupDoesNotTakeAnotherSchedule();
    void unparsableLinesArePassedOver();
    void alarmsSurviveARestart();
    void writeThroughKeepsTheFileCurrent();
    void switchedOffChecksLeaveEntries();
    void timeSignals_data();
    void timeSignals();
    void timeSignalHeading();
    void timeSignalOncePerMinute();
    void withdrawerServesDayFileDeletion();
    void settingsComeFromNoxIni();
};

void TestAlarmCheck::alarmFiresAtTheFirstBeatOfItsMinute()
{
    Fixture f;
    f.writeDay(kDay, {dayLine(19, 20, 42, "会議", 0)});
    f.center.UpdateScheduleAlarms(schedule(kDay, 19, 0, 42), amNew);

    QVERIFY(f.beat(kDay, QTime(9, 29, 59)).isEmpty());
    QCOMPARE(f.center.list().count(), 1);
    // A beat that missed the first seconds (the timer stalled) still
    // examines the minute; half a minute is not late.
    const QList<PopupRequest> popups = f.beat(kDay, QTime(9, 30, 30));
    QCOMPARE(messages(popups), QStringList{"9:30-10:00\r\n会議"});
    QVERIFY(!popups[0].late);
    QCOMPARE(f.center.list().count(), 0);

    // Once per minute: further beats in the same minute open nothing.
    f.center.UpdateScheduleAlarms(schedule(kDay, 20, 0, 43), amNew);
    f.writeDay(kDay, {dayLine(19, 20, 42, "会議", 0), dayLine(20, 21, 43, "昼食", 0)});
    QCOMPARE(f.beat(kDay, QTime(10, 0, 0, 10)).size(), 1);
    QVERIFY(f.beat(kDay, QTime(10, 0, 0, 900)).isEmpty());
    QVERIFY(f.beat(kDay, QTime(10, 0, 1)).isEmpty());
}

void TestAlarmCheck::reminderAndStartBothFire()
{
    Fixture f;
    AlarmSettings s;
    s.alarmSound = QStringLiteral("/sounds/chime.wav");
    f.center.setSettings(s);
    f.writeDay(kDay, {dayLine(19, 21, 42, "会議#13#10第2会議室", 5, "https://example.org/a#13#10b", true)});
    f.center.UpdateScheduleAlarms(schedule(kDay, 19, 5, 42), amNew);

    const QList<PopupRequest> reminder = f.beat(kDay, QTime(9, 25));
    QCOMPARE(reminder.size(), 1);
    QCOMPARE(reminder[0].message, QStringLiteral("9:30-10:30\r\n会議\r\n第2会議室"));
    QCOMPARE(reminder[0].sound, s.alarmSound);
    QVERIFY(reminder[0].record.has_value());
    QCOMPARE(reminder[0].record->ID, 42);
    QCOMPARE(reminder[0].record->date(), kDay);
    QVERIFY(reminder[0].relatedInfoTarget.isEmpty()); // only the start alarm opens it

    const QList<PopupRequest> start = f.beat(kDay, QTime(9, 30));
    QCOMPARE(messages(start), messages(reminder));
    QCOMPARE(start[0].relatedInfoTarget, QStringLiteral("https://example.org/a\r\nb"));
    QVERIFY(f.center.list().isEmpty());
}

void TestAlarmCheck::schedulesOfOneMinuteFireInListOrder()
{
    Fixture f;
    f.writeDay(kDay, {dayLine(19, 20, 1, "A", 0), dayLine(19, 20, 2, "B", 0), dayLine(20, 21, 3, "C", 30)});
    f.center.UpdateScheduleAlarms(schedule(kDay, 19, 0, 1), amNew);
    f.center.UpdateScheduleAlarms(schedule(kDay, 20, 30, 3), amNew); // reminder at 9:30
    f.center.UpdateScheduleAlarms(schedule(kDay, 19, 0, 2), amNew);
    QCOMPARE(messages(f.beat(kDay, QTime(9, 30))),
             QStringList({"9:30-10:00\r\nA", "10:00-10:30\r\nC", "9:30-10:00\r\nB"}));
}

void TestAlarmCheck::passedEntriesGoSilentlyWhenALaterOneFires()
{
    Fixture f;
    f.writeDay(kDay,
               {dayLine(16, 17, 1, "朝", 0), dayLine(18, 19, 2, "九時", 0), dayLine(22, 23, 3, "十一時", 0)});
    for (auto [slot, id] : {std::pair{16, 1}, std::pair{18, 2}, std::pair{22, 3}}) {
        f.center.UpdateScheduleAlarms(schedule(kDay, slot, 0, id), amNew);
    }
    // 8:00 was never examined; it stays until a later entry fires.
    QVERIFY(f.beat(kDay, QTime(8, 30)).isEmpty());
    QCOMPARE(f.center.list().count(), 3);
    QCOMPARE(messages(f.beat(kDay, QTime(9, 0))), QStringList{"9:00-9:30\r\n九時"});
    QCOMPARE(f.center.list().count(), 1);
    QCOMPARE(f.center.list().at(0).rec.ID, 3);
}

void TestAlarmCheck::missingScheduleConsumesTheEntry()
{
    Fixture f;
    f.writeDay(kDay, {dayLine(19, 20, 7, "別の予定", 0)});
    f.center.UpdateScheduleAlarms(schedule(kDay, 19, 0, 42), amNew);
    f.center.UpdateScheduleAlarms(schedule(kDay.addDays(1), 19, 0, 43), amNew); // no day file at all
    QVERIFY(f.beat(kDay, QTime(9, 30)).isEmpty());
    QVERIFY(f.beat(kDay.addDays(1), QTime(9, 30)).isEmpty());
    QVERIFY(f.center.list().isEmpty());
}

void TestAlarmCheck::unreadableDayFileIsToldAndStillPopsUp_data()
{
    QTest::addColumn<QDate>("unreadable");
    QTest::addColumn<TSkedRec>("sked");
    QTest::addColumn<QDateTime>("at");
    QTest::newRow("start alarm") << kDay << schedule(kDay, 19, 0, 42) << QDateTime(kDay, QTime(9, 30));
    QTest::newRow("reminder of the next day")
        << kDay.addDays(1) << schedule(kDay.addDays(1), 0, 30, 42) << QDateTime(kDay, QTime(23, 30));
}

// A day file that cannot be read (here a folder of its name) is no day
// without schedules: it is told, and the alarm still pops up naming it.
void TestAlarmCheck::unreadableDayFileIsToldAndStillPopsUp()
{
    QFETCH(QDate, unreadable);
    QFETCH(TSkedRec, sked);
    QFETCH(QDateTime, at);
    Fixture f;
    QList<BookResult> told;
    f.center.OnReadProblem = [&](const BookResult& r) { told.append(r); };
    const QString path = dayFilePath(f.dir.path(), unreadable);
    QVERIFY(QDir().mkdir(path));
    f.center.UpdateScheduleAlarms(sked, amNew);

    const QList<PopupRequest> popups = f.beat(at);
    QCOMPARE(popups.size(), 1);
    QVERIFY2(popups[0].message.contains(QFileInfo(path).fileName()), qPrintable(popups[0].message));
    QVERIFY(!popups[0].record);
    QCOMPARE(told.size(), 1);
    QCOMPARE(told[0].code(), BookStatus::Failed);
    QCOMPARE(told[0].file(), path);
}

void TestAlarmCheck::reminderOnThePreviousDayFindsItsSchedule()
{
    Fixture f;
    const QDate next = kDay.addDays(1);
    f.writeDay(next, {dayLine(0, 1, 42, "深夜便", 30, "https://example.org", true)});
    f.center.UpdateScheduleAlarms(schedule(next, 0, 30, 42), amNew);
    QCOMPARE(f.center.list().at(0).key, QStringLiteral("2026/12/07 23:30"));

    const QList<PopupRequest> reminder = f.beat(kDay, QTime(23, 30));
    QCOMPARE(messages(reminder), QStringList{"0:00-0:30\r\n深夜便"});
    QCOMPARE(reminder[0].record->date(), next); // "show" goes to the schedule's own day
    QVERIFY(reminder[0].relatedInfoTarget.isEmpty());
    const QList<PopupRequest> start = f.beat(next, QTime(0, 0));
    QCOMPARE(messages(start), messages(reminder));
    QCOMPARE(start[0].relatedInfoTarget, QStringLiteral("https://example.org"));

    // Six hours ahead across midnight, as the editor offers at most.
    f.writeDay(next, {dayLine(8, 9, 44, "早朝", 360)});
    f.center.UpdateScheduleAlarms(schedule(next, 8, 360, 44), amNew);
    QCOMPARE(messages(f.beat(kDay, QTime(22, 0))), QStringList{"4:00-4:30\r\n早朝"});
}

void TestAlarmCheck::reminderLookupDoesNotTakeAnotherSchedule()
{
    Fixture f;
    const QDate next = kDay.addDays(1);
    // Same ID the next day, but its reminder would be at a different minute.
    f.writeDay(next, {dayLine(1, 2, 42, "別", 15)});
    f.center.list().add("2026/12/07 23:30", {42, akReminder});
    QVERIFY(f.beat(kDay, QTime(23, 30)).isEmpty());
}

void TestAlarmCheck::unparsableLinesArePassedOver()
{
    Fixture f;
    f.writeDay(kDay, {"19\t20\tnot-a-colour\tclBlack\t0\t-1\t42\t\t壊れた行\t", "19\tx\t42",
                      dayLine(19, 20, 42, "正しい行", 0)});
    f.center.UpdateScheduleAlarms(schedule(kDay, 19, 0, 42), amNew);
    QCOMPARE(messages(f.beat(kDay, QTime(9, 30))), QStringList{"9:30-10:00\r\n正しい行"});
}

void TestAlarmCheck::alarmsSurviveARestart()
{
    Fixture f;
    f.writeDay(kDay, {dayLine(19, 20, 42, "会議", 5)});
    f.center.UpdateScheduleAlarms(schedule(kDay, 19, 5, 42), amNew);
    f.now = QDateTime(kDay, QTime(9, 0));
    QVERIFY(f.center.SaveAlarmList());

    AlarmCenter second(f.dir.path());
    QList<PopupRequest> popups;
    QDateTime now;
    second.clock = [&] { return now; };
    second.ShowPopupMessage = [&](const PopupRequest& r) { popups.append(r); };
    QVERIFY(second.LoadAlarmList().ok());
    QCOMPARE(second.list().count(), 2);
    now = QDateTime(kDay, QTime(9, 25));
    second.CheckAlarmsAndSignals();
    now = QDateTime(kDay, QTime(9, 30));
    second.CheckAlarmsAndSignals();
    QCOMPARE(popups.size(), 2);
    QVERIFY(second.SaveAlarmList());
    QVERIFY(!QFile::exists(alarmFilePath(f.dir.path())));
}

void TestAlarmCheck::writeThroughKeepsTheFileCurrent()
{
    Fixture f;
    f.now = QDateTime(kDay, QTime(8, 0));
    f.center.setWriteThrough(true);
    const TAlarmUpdate added{schedule(kDay, 19, 5, 42), amNew};
    QVERIFY(f.center.UpdateScheduleAlarms(QList<TAlarmUpdate>{added}).ok());
    QCOMPARE(readTextLines(alarmFilePath(f.dir.path()))->lines.size(), 2);
    setWriteFaultHook([](const QString&, WriteStep) { return EIO; });
    const TAlarmUpdate second{schedule(kDay, 20, 0, 43), amNew};
    const BookResult failed = f.center.UpdateScheduleAlarms(QList<TAlarmUpdate>{second});
    setWriteFaultHook({});
    QCOMPARE(failed.code(), BookStatus::Failed);
    QCOMPARE(failed.file(), alarmFilePath(f.dir.path()));
    QCOMPARE(f.center.list().count(), 3);
    QVERIFY(f.center.UpdateScheduleAlarms({{added.rec, amRemoved}, {second.rec, amRemoved}}).ok());
    QVERIFY(!QFile::exists(alarmFilePath(f.dir.path())));
}

void TestAlarmCheck::switchedOffChecksLeaveEntries()
{
    Fixture f;
    f.writeDay(kDay, {dayLine(20, 21, 42, "会議", 0)});
    f.center.UpdateScheduleAlarms(schedule(kDay, 20, 0, 42), amNew);
    AlarmSettings s = bells();
    s.alarmEnable = false;
    s.bell60 = true;
    f.center.setSettings(s);
    QCOMPARE(f.beat(kDay, QTime(10, 0)).size(), 1); // the signal only
    QCOMPARE(f.center.list().count(), 1);
    s.bellEnable = false;
    f.center.setSettings(s);
    QVERIFY(f.beat(kDay, QTime(11, 0)).isEmpty());
    QCOMPARE(f.center.list().count(), 1);
}

void TestAlarmCheck::timeSignals_data()
{
    QTest::addColumn<bool>("bell60");
    QTest::addColumn<bool>("bell30");
    QTest::addColumn<bool>("bell1");
    QTest::addColumn<QString>("time1");
    QTest::addColumn<QTime>("at");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("hour at :00") << true << false << false << "10:30" << QTime(14, 0) << QStringList{"毎時"};
    QTest::newRow("hour not at :30") << true << false << false << "10:30" << QTime(14, 30) << QStringList{};
    QTest::newRow("half hour only at :30")
        << false << true << false << "10:30" << QTime(14, 30) << QStringList{"半"};
    QTest::newRow("half hour not at :00")
        << false << true << false << "10:30" << QTime(14, 0) << QStringList{};
    QTest::newRow("both at :00") << true << true << false << "10:30" << QTime(0, 0) << QStringList{"毎時"};
    QTest::newRow("daily and half hour")
        << false << true << true << "10:30" << QTime(10, 30) << QStringList({"半", "一"});
    QTest::newRow("leading zero never matches")
        << false << false << true << "09:30" << QTime(9, 30) << QStringList{};
    QTest::newRow("one-digit hour matches")
        << false << false << true << "9:30" << QTime(9, 30) << QStringList{"一"};
    QTest::newRow("daily switched off") << false << false << false << "9:30" << QTime(9, 30) << QStringList{};
    QTest::newRow("other minute") << true << true << true << "9:30" << QTime(9, 31) << QStringList{};
}

void TestAlarmCheck::timeSignals()
{
    QFETCH(bool, bell60);
    QFETCH(bool, bell30);
    QFETCH(bool, bell1);
    QFETCH(QString, time1);
    QFETCH(QTime, at);
    QFETCH(QStringList, texts);
    AlarmSettings s = bells();
    s.bell60 = bell60;
    s.msg60 = QStringLiteral("毎時");
    s.bell30 = bell30;
    s.msg30 = QStringLiteral("半");
    s.bell = {bell1, true, false};
    s.time = {time1, QStringLiteral("25:00"), QStringLiteral("9:31")};
    s.msg = {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")};
    s.popupFormat = QStringLiteral("h:nn");

    Fixture f;
    f.center.setSettings(s);
    QStringList expected;
    for (const QString& t : texts) {
        expected << formatDateTime("h:nn", QDateTime(kDay, at)) + "\r\n\r\n" + t;
    }
    const QList<PopupRequest> popups = f.beat(kDay, at);
    QCOMPARE(messages(popups), expected);
    for (const PopupRequest& p : popups) {
        QCOMPARE(p.sound, QStringLiteral("Beep"));
        QVERIFY(!p.record);
    }
}

void TestAlarmCheck::timeSignalHeading()
{
    AlarmSettings s = bells();
    s.bell60 = true;
    const QList<PopupRequest> popups = timeSignalsAt(s, QDateTime(kDay, QTime(14, 0, 0, 999)));
    QCOMPARE(messages(popups), QStringList{"14時00分\r\n\r\n時報"});
}

void TestAlarmCheck::timeSignalOncePerMinute()
{
    Fixture f;
    AlarmSettings s = bells();
    s.bell60 = true;
    f.center.setSettings(s);
    QCOMPARE(f.beat(kDay, QTime(14, 0, 0, 50)).size(), 1);
    QVERIFY(f.beat(kDay, QTime(14, 0, 0, 990)).isEmpty()); // a second beat within second 0
    QVERIFY(f.beat(kDay, QTime(14, 0, 2)).isEmpty());
    QCOMPARE(f.beat(kDay, QTime(15, 0, 2)).size(), 1); // second 0 skipped by drift
    QCOMPARE(f.beat(kDay, QTime(16, 0, 3)).size(), 1); // a stalled beat still gives it
    QVERIFY(f.beat(kDay, QTime(16, 0, 4)).isEmpty());
}

// Schedules of the stall tests: A at 10:30; B at 11:00 with a reminder at
// 10:59; D the next day at 12:00. Time signals every full hour.
namespace
{

struct StallFixture : Fixture {
    StallFixture()
    {
        writeDay(kDay, {dayLine(21, 22, 1, "A", 0), dayLine(22, 23, 2, "B", 1)});
        writeDay(kDay.addDays(1), {dayLine(24, 25, 4, "D", 0)});
        center.UpdateScheduleAlarms(schedule(kDay, 21, 0, 1), amNew);
        center.UpdateScheduleAlarms(schedule(kDay, 22, 1, 2), amNew);
        center.UpdateScheduleAlarms(schedule(kDay.addDays(1), 24, 0, 4), amNew);
        AlarmSettings s = bells();
        s.bell60 = true;
        center.setSettings(s);
    }
};

// "A" for an alarm on time, "late:A" for one late alarm, "late:2" for a
// late list, "bell" for a time signal.
QString summary(const PopupRequest& p)
{
    if (!p.record && !p.late) {
        return QStringLiteral("bell");
    }
    const QString text = p.message.section(QStringLiteral("\r\n"), -1);
    if (!p.late) {
        return text;
    }
    return QStringLiteral("late:") + (p.lateCount > 1 ? QString::number(p.lateCount) : text);
}

} // namespace

void TestAlarmCheck::stallsAndSuspends_data()
{
    QTest::addColumn<QList<QDateTime>>("beats");
    QTest::addColumn<QStringList>("popups");
    auto at = [](int dayOffset, int h, int m, int sec = 0, int ms = 0) {
        return QDateTime(kDay.addDays(dayOffset), QTime(h, m, sec, ms));
    };
    QTest::newRow("2.9 s stall") << QList<QDateTime>{at(0, 10, 29, 59, 200), at(0, 10, 30, 2, 100)}
                                 << QStringList{"A"};
    QTest::newRow("3.1 s stall") << QList<QDateTime>{at(0, 10, 29, 59, 900), at(0, 10, 30, 3)}
                                 << QStringList{"A"};
    QTest::newRow("61 s stall") << QList<QDateTime>{at(0, 10, 29, 59, 500), at(0, 10, 31, 0, 500)}
                                << QStringList{"late:A"};
    // The reminder and the start of B in one popup; the 11:00 signal is not replayed.
    QTest::newRow("5-minute suspend")
        << QList<QDateTime>{at(0, 10, 58, 30), at(0, 11, 3, 30)} << QStringList{"late:2"};
    // Only the last 24 hours are examined: B's entries go without a word.
    QTest::newRow("2-day suspend") << QList<QDateTime>{at(0, 10, 58, 30), at(2, 10, 58, 30)}
                                   << QStringList{"late:D"};
    // The repeated hour is examined anew; nothing fires twice, nothing piles up.
    QTest::newRow("clock set back an hour")
        << QList<QDateTime>{at(0, 11, 30), at(0, 10, 30), at(0, 11, 0)} << QStringList{"A", "B", "B", "bell"};
    QTest::newRow("clock set back a second")
        << QList<QDateTime>{at(0, 10, 30, 0, 500), at(0, 10, 29, 59, 800), at(0, 10, 30, 0, 200)}
        << QStringList{"A"};
}

void TestAlarmCheck::stallsAndSuspends()
{
    QFETCH(QList<QDateTime>, beats);
    QFETCH(QStringList, popups);
    StallFixture f;
    QStringList seen;
    for (const QDateTime& beat : beats) {
        for (const PopupRequest& p : f.beat(beat)) {
            seen << summary(p);
        }
    }
    QCOMPARE(seen, popups);
}

void TestAlarmCheck::lateAlarmsShareOnePopup()
{
    StallFixture f;
    f.beat(kDay, QTime(10, 0));
    const QList<PopupRequest> popups = f.beat(kDay, QTime(11, 5));
    QCOMPARE(popups.size(), 1);
    const PopupRequest& list = popups[0];
    QVERIFY(list.late);
    QCOMPARE(list.lateCount, 3);
    QVERIFY(!list.record); // "show" needs one schedule
    QCOMPARE(list.message.split(QStringLiteral("\r\n")),
             QStringList({"遅れて表示する通知 3 件", "12/7 10:30  10:30-11:00 A", "12/7 10:59  11:00-11:30 B",
                          "12/7 11:00  11:00-11:30 B"}));

    // One late alarm keeps its schedule, and says when it was due.
    StallFixture g;
    g.beat(kDay, QTime(10, 29, 50));
    const QList<PopupRequest> one = g.beat(kDay, QTime(10, 40));
    QCOMPARE(one.size(), 1);
    QVERIFY(one[0].late && one[0].record);
    QCOMPARE(one[0].message, QStringLiteral("12/7 10:30 の通知 (遅れて表示)\r\n10:30-11:00\r\nA"));
}

void TestAlarmCheck::withdrawerServesDayFileDeletion()
{
    Fixture f;
    f.writeDay(kDay, {dayLine(19, 20, 42, "消す", 5), dayLine(19, 20, 43, "残す", 5)});
    f.center.UpdateScheduleAlarms(schedule(kDay, 19, 5, 42), amNew);
    f.center.UpdateScheduleAlarms(schedule(kDay, 19, 5, 43), amNew);
    const TDayWriteResult deleted = deleteSkedById(f.dir.path(), kDay, 42, f.center.alarmWithdrawer());
    QVERIFY(deleted.ok() && deleted->removed);
    QCOMPARE(f.center.list().count(), 2);
    for (const AlarmList::Entry& e : f.center.list().entries()) {
        QCOMPARE(e.rec.ID, 43);
    }
    QCOMPARE(messages(f.beat(kDay, QTime(9, 30))), QStringList{"9:30-10:00\r\n残す"});
}

void TestAlarmCheck::settingsComeFromNoxIni()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Nox.ini");
    const AlarmSettings defaults = readAlarmSettings(Settings(path)); // no file yet
    QVERIFY(defaults.alarmEnable);
    QVERIFY(!defaults.bellEnable);
    QCOMPARE(defaults.time[2], QStringLiteral("17:00"));
    QCOMPARE(defaults.msg60, QStringLiteral("時報"));
    QCOMPARE(defaults.popupFormat, QStringLiteral("h\"時\"nn\"分\""));

    // Typed in by hand: a leading zero, which the current time never has.
    QVERIFY(writeTextLines(path, {"[bell]", "enable=1", "bell1=1", "time1=09:30", "msg1=朝", "bell2=1",
                                  "time2=9:30", "msg2=朝2", "sound=BEEP", "[alarm]", "enable=0"}));
    const AlarmSettings read = readAlarmSettings(Settings(path));
    QVERIFY(!read.alarmEnable);
    QCOMPARE(read.bellSound, QStringLiteral("BEEP"));
    Fixture f;
    f.center.setSettings(read);
    const QList<PopupRequest> popups = f.beat(kDay, QTime(9, 30));
    QCOMPARE(popups.size(), 1);
    QVERIFY(popups[0].message.endsWith(QStringLiteral("\r\n\r\n朝2")));

    AlarmSettings changed = read;
    changed.bell60 = true;
    changed.msg[2] = QStringLiteral("夕方");
    changed.popupFormat = QStringLiteral("hh:nn");
    Settings settings(path);
    QVERIFY(writeAlarmSettings(settings, changed));
    const AlarmSettings back = readAlarmSettings(Settings(path));
    QVERIFY(back.bell60);
    QCOMPARE(back.msg[2], changed.msg[2]);
    QCOMPARE(back.time[0], QStringLiteral("09:30"));
    QCOMPARE(back.popupFormat, changed.popupFormat);
}

QTEST_GUILESS_MAIN(TestAlarmCheck)
#include "tst_alarmcheck.moc"
