#pragma once
// The alarms of repeat rules' occurrences. "alarm.nox" holds them only for
// the days ahead of kRuleAlarmDays (a rule without end would otherwise fill
// the list for ever): they are renewed from the schedule book at the start
// of the program, at midnight and after every change of a rule.
#include <QDate>

#include "alarm/alarmlist.h"

namespace nox
{

class ScheduleBook;

// The days from today on whose occurrences have their alarms entered.
constexpr int kRuleAlarmDays = 8;

// Withdraws every entry of a rule ID (store/repeatrule.h) and enters those
// of the occurrences with an alarm from the day before `today` (a reminder
// may fall on the day before its schedule; entries of past minutes go at
// the next check as any other) to kRuleAlarmDays days after it.
void renewRuleAlarms(AlarmList& list, const ScheduleBook& book, const QDate& today);

} // namespace nox
