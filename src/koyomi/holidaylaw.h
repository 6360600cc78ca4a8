#pragma once
// The national holidays of a year as the holiday law gives them, with the
// changes of the law since 1970: fixed days, the Monday holidays (from 2000
// and 2003), 春分の日 and 秋分の日 on the JST date of the equinox, 振替休日
// (from 1973-04-12: the Monday after a Sunday holiday; from 2007 the nearest
// following day that is not a holiday) and the 休日 between two holidays
// (from 1986). One-off laws (the moved holidays of 2020 and 2021, the days of
// 2019 and the ceremonies of 1989, 1990 and 1993) are not rules and are not
// made here. Names follow the factory holiday list: a substitute day is
// "<name of the Sunday holiday> 振替休日", the day between two holidays "休日".
#include <QDate>
#include <QString>

#include <vector>

namespace nox::koyomi
{

struct LawHoliday {
    QDate date;
    QString name;
};

constexpr int kFirstLawYear = 1970;
constexpr int kLastLawYear = 2150;

// The holidays of `year` in date order; none outside 1970..2150.
std::vector<LawHoliday> holidaysByLaw(int year);

// The JST date of the March (spring = true) or September equinox; after
// 2100 by the almanacs' formula.
QDate equinoxDate(int year, bool spring);

} // namespace nox::koyomi
