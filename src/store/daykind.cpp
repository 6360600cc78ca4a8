#include "store/daykind.h"

#include "store/holidays.h"

namespace nox
{

QString weekdayName(const QDate& date)
{
    static const char16_t* const names[] = {u"月曜日", u"火曜日", u"水曜日", u"木曜日",
                                            u"金曜日", u"土曜日", u"日曜日"};
    const int d = date.dayOfWeek(); // 1 = Monday
    return d >= 1 && d <= 7 ? QString::fromUtf16(names[d - 1]) : QString();
}

DayNameAndKind dayNameAndKind(const QDate& date, const HolidayList& holidays)
{
    const QString key = HolidayList::keyOf(date);
    if (holidays.contains(key)) {
        return {holidays.name(key), dkHoliday};
    }
    switch (date.dayOfWeek()) {
    case Qt::Sunday:
        return {weekdayName(date), dkSunday};
    case Qt::Saturday:
        return {weekdayName(date), dkSaturday};
    default:
        return {weekdayName(date), dkWeekday};
    }
}

QString dayName(const QDate& date, const HolidayList& holidays)
{
    return dayNameAndKind(date, holidays).name;
}

int dayKind(const QDate& date, const HolidayList& holidays)
{
    return dayNameAndKind(date, holidays).kind;
}

} // namespace nox
