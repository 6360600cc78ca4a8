#pragma once
// Name and kind of a day: a holiday wins over the weekday.
#include <QDate>
#include <QString>

namespace nox
{

class HolidayList;

enum DayKind { dkWeekday = 0, dkSaturday = 1, dkSunday = 2, dkHoliday = 3 };

struct DayNameAndKind {
    QString name; // holiday name, else "日曜日" ... "土曜日"
    int kind = dkWeekday;
};

// Japanese weekday name of a date: "月曜日" ... "日曜日".
QString weekdayName(const QDate& date);
DayNameAndKind dayNameAndKind(const QDate& date, const HolidayList& holidays);
QString dayName(const QDate& date, const HolidayList& holidays);
int dayKind(const QDate& date, const HolidayList& holidays);

} // namespace nox
