#include "koyomi/holidaylaw.h"

#include "koyomi/astro.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace nox::koyomi
{
namespace
{

// The n-th Monday (n >= 1) of a month.
QDate nthMonday(int year, int month, int n)
{
    const QDate first(year, month, 1);
    const int toMonday = (Qt::Monday - first.dayOfWeek() + 7) % 7;
    return first.addDays(toMonday + 7 * (n - 1));
}

// The 国民の祝日 themselves (no substitute or in-between days).
std::map<QDate, QString> nationalDays(int year)
{
    std::map<QDate, QString> days;
    const auto add = [&](const QDate& d, const char* name) { days[d] = QString::fromUtf8(name); };
    add(QDate(year, 1, 1), "元日");
    add(year < 2000 ? QDate(year, 1, 15) : nthMonday(year, 1, 2), "成人の日");
    add(QDate(year, 2, 11), "建国記念の日");
    add(equinoxDate(year, true), "春分の日");
    if (year <= 1988) {
        add(QDate(year, 4, 29), "天皇誕生日");
    } else if (year <= 2006) {
        add(QDate(year, 4, 29), "みどりの日");
    } else {
        add(QDate(year, 4, 29), "昭和の日");
        add(QDate(year, 5, 4), "みどりの日");
    }
    add(QDate(year, 5, 3), "憲法記念日");
    add(QDate(year, 5, 5), "こどもの日");
    if (year >= 1996) {
        add(year < 2003 ? QDate(year, 7, 20) : nthMonday(year, 7, 3), "海の日");
    }
    if (year >= 2016) {
        add(QDate(year, 8, 11), "山の日");
    }
    add(year < 2003 ? QDate(year, 9, 15) : nthMonday(year, 9, 3), "敬老の日");
    add(equinoxDate(year, false), "秋分の日");
    if (year < 2000) {
        add(QDate(year, 10, 10), "体育の日");
    } else {
        add(nthMonday(year, 10, 2), year < 2020 ? "体育の日" : "スポーツの日");
    }
    add(QDate(year, 11, 3), "文化の日");
    add(QDate(year, 11, 23), "勤労感謝の日");
    if (year >= 1989 && year <= 2018) {
        add(QDate(year, 12, 23), "天皇誕生日");
    } else if (year >= 2020) {
        add(QDate(year, 2, 23), "天皇誕生日");
    }
    return days;
}

} // namespace

QDate equinoxDate(int year, bool spring)
{
    // After 2100 the almanacs' formula (ΔT is a guess that far ahead; the
    // formula is what calendars printed for those years use).
    if (year > 2100) {
        const int leaps = (year - 1980) / 4;
        const double base = spring ? 21.8510 : 24.2102;
        return QDate(year, spring ? 3 : 9, int(std::floor(base + 0.242194 * (year - 1980))) - leaps);
    }
    const double degrees = spring ? 0.0 : 180.0;
    const double near = 2451623.8 + 365.2422 * (year - 2000) + degrees * 365.2422 / 360.0;
    return jstDateOf(jdeOfSunLongitude(degrees, near));
}

std::vector<LawHoliday> holidaysByLaw(int year)
{
    if (year < kFirstLawYear || year > kLastLawYear) {
        return {};
    }
    const std::map<QDate, QString> national = nationalDays(year);
    std::map<QDate, QString> all = national;
    for (const auto& [date, unused] : national) {
        if (date.dayOfWeek() != Qt::Sunday || date < QDate(1973, 4, 12)) {
            continue;
        }
        QDate substitute = date.addDays(1);
        while (year >= 2007 && all.count(substitute) != 0) {
            substitute = substitute.addDays(1);
        }
        // Named after the holiday just before it, as the factory list does
        // (2009-05-06 "こどもの日 振替休日" for a Sunday 憲法記念日).
        if (all.count(substitute) == 0) {
            all[substitute] = all[substitute.addDays(-1)] + QStringLiteral(" 振替休日");
        }
    }
    if (year >= 1986) {
        for (const auto& [date, name] : national) {
            const QDate between = date.addDays(1);
            if (national.count(between.addDays(1)) != 0 && all.count(between) == 0 &&
                between.dayOfWeek() != Qt::Sunday) {
                all[between] = QStringLiteral("休日");
            }
        }
    }
    std::vector<LawHoliday> out;
    for (const auto& [date, name] : all) {
        if (date.year() == year) {
            out.push_back({date, name});
        }
    }
    return out;
}

} // namespace nox::koyomi
