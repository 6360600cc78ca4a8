// The alarms of repeat rules' occurrences: entered for the days ahead only,
// renewed at midnight and after a change of a rule, and firing like any
// other schedule's.
#include <QtTest>

#include <QTemporaryDir>

#include "alarm/alarmcenter.h"
#include "alarm/alarmfilesink.h"
#include "alarm/rulealarms.h"
#include "store/schedulebook.h"

using namespace nox;

namespace
{

QStringList keysOf(const AlarmList& list)
{
    QStringList keys;
    for (const AlarmList::Entry& e : list.entries()) {
        keys.append(e.key);
    }
    return keys;
}

RepeatRule dailyAt9(int alarmMinutes)
{
    RepeatRule rule;
    rule.first = QDate(2026, 1, 1);
    rule.rrule = QStringLiteral("FREQ=DAILY");
    rule.sked.StartTime = 18;
    rule.sked.EndTime = 19;
    rule.sked.Text = QStringLiteral("服薬");
    rule.sked.AlarmMinutes = alarmMinutes;
    return rule;
}

} // namespace

class TestRuleAlarms : public QObject
{
    Q_OBJECT
private slots:
    void entersTheDaysAhead();
    void renewsAtMidnightAndFires();
    void ruleChangeRenewsAlarmFile();
};

void TestRuleAlarms::entersTheDaysAhead()
{
    QTemporaryDir dir;
    ScheduleBook book(dir.path(), nullptr);
    RepeatRule rule = dailyAt9(10);
    QVERIFY(book.addRule(&rule).ok());
    AlarmList list;
    list.add(QStringLiteral("2026/03/01 08:00"), TAlarmRec{123, akStart}); // a schedule's own
    list.add(QStringLiteral("2025/01/01 08:50"), TAlarmRec{rule.id, akReminder}); // an old one of the rule
    renewRuleAlarms(list, book, QDate(2026, 3, 10));
    const QStringList keys = keysOf(list);
    // The day before today to kRuleAlarmDays after it, start and reminder each.
    QCOMPARE(keys.size(), 1 + 2 * (kRuleAlarmDays + 2));
    QVERIFY(keys.contains(QStringLiteral("2026/03/01 08:00")));
    QVERIFY(!keys.contains(QStringLiteral("2025/01/01 08:50")));
    QCOMPARE(keys.at(1), QStringLiteral("2026/03/09 08:50"));
    QCOMPARE(keys.last(), QStringLiteral("2026/03/18 09:00"));
}

void TestRuleAlarms::renewsAtMidnightAndFires()
{
    QTemporaryDir dir;
    ScheduleBook book(dir.path(), nullptr);
    RepeatRule rule = dailyAt9(0);
    QVERIFY(book.addRule(&rule).ok());
    AlarmCenter center(dir.path());
    center.setBook(&book);
    QDateTime now(QDate(2026, 3, 10), QTime(23, 59));
    center.clock = [&] { return now; };
    QList<PopupRequest> popups;
    center.ShowPopupMessage = [&](const PopupRequest& r) { popups.append(r); };
    QVERIFY(center.LoadAlarmList().ok());
    center.CheckAlarmsAndSignals();
    QVERIFY(!keysOf(center.list()).contains(QStringLiteral("2026/03/20 09:00")));
    now = QDateTime(QDate(2026, 3, 11), QTime(0, 0));
    center.CheckAlarmsAndSignals();
    QVERIFY(keysOf(center.list()).contains(QStringLiteral("2026/03/19 09:00")));
    // A stall over the alarm's minute: it fires late, as a schedule's does.
    now = QDateTime(QDate(2026, 3, 11), QTime(9, 5));
    center.CheckAlarmsAndSignals();
    QCOMPARE(popups.size(), 1);
    QVERIFY(popups.first().message.contains(QStringLiteral("服薬")));
    QVERIFY(popups.first().late);
}

void TestRuleAlarms::ruleChangeRenewsAlarmFile()
{
    QTemporaryDir dir;
    AlarmFileSink sink(dir.path());
    sink.clock = [] { return QDateTime(QDate(2026, 3, 10), QTime(8, 0)); };
    ScheduleBook book(dir.path(), &sink);
    RepeatRule rule = dailyAt9(0);
    QVERIFY(book.addRule(&rule).ok());
    AlarmList list;
    QVERIFY(LoadAlarmList(list, dir.path()).ok());
    QCOMPARE(list.count(), kRuleAlarmDays + 1); // today's on: earlier minutes are not written
    QVERIFY(book.changeRule(rule.id, [](RepeatRule& r) { r.sked.AlarmMinutes = -1; }).ok());
    QVERIFY(LoadAlarmList(list, dir.path()).ok());
    QCOMPARE(list.count(), 0);
}

QTEST_MAIN(TestRuleAlarms)
#include "tst_rulealarms.moc"
