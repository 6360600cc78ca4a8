#include "koyomi/koyomi.h"

#include "koyomi/astro.h"

#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>

namespace nox::koyomi
{
namespace
{

const char* const kTermNames[24] = {
    "春分", "清明", "穀雨", "立夏", "小満", "芒種", "夏至", "小暑", "大暑", "立秋", "処暑", "白露",
    "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至", "小寒", "大寒", "立春", "雨水", "啓蟄",
};
const char* const kRokuyoNames[6] = {"大安", "赤口", "先勝", "友引", "先負", "仏滅"};

constexpr int kWinterSolstice = 18; // index of 冬至 (270°)

// A first guess for the sun at `degrees` within Gregorian year `year`:
// days from about the March equinox (degrees 285..360 fall before it).
double termGuess(int year, double degrees)
{
    const double fromEquinox = degrees < 285 ? degrees : degrees - 360;
    return 2451623.8 + 365.2422 * (year - 2000) + fromEquinox * 365.2422 / 360.0;
}

QDate sunDate(int year, double degrees)
{
    return jstDateOf(jdeOfSunLongitude(degrees, termGuess(year, degrees)));
}

QDate newMoonDate(int k)
{
    return jstDateOf(jdeOfNewMoon(k));
}

// The lunation whose first day (JST) is the last one at or before `date`.
int lunationOf(const QDate& date)
{
    int k = newMoonAtOrBefore(jdOfJstMidnight(date) + 1.0);
    while (newMoonDate(k + 1) <= date) {
        ++k;
    }
    while (newMoonDate(k) > date) {
        --k;
    }
    return k;
}

// The months from the one holding 冬至 of `year` up to (not including) the
// one holding 冬至 of year + 1: twelve or thirteen.
//
// Month 11 holds 冬至, 2 春分, 5 夏至, 8 秋分. Twelve months are numbered in
// order from 11. Of thirteen, two fixed months have three others between
// them instead of two, and the first month without a 中気 among those is
// the leap month, named after the month before it.
//
// Where these rules cannot name the months we number twelve months in order
// and so follow the almanacs' usual choice: between 冬至 2032 and 冬至 2033
// lie twelve months, yet 秋分 falls on the first day of a month, so that
// 夏至 and 秋分 have three months between them (one of them, from
// 2033-08-25, without a 中気) and 秋分 and 冬至 only one. Naming by the
// fixed months would make a 閏7月 and leave no month 10; numbered in order,
// 8 begins 2033-08-25 and 10 on 2033-10-23, and the leap month falls after
// 11 (閏11月 from 2033-12-22, the month without a 中気 of the next,
// thirteen-month span). No other year from 1900 to 2100 needs this.
std::vector<LunarMonth> computeSpan(int year)
{
    const int first = lunationOf(sunDate(year, 270));
    const int end = lunationOf(sunDate(year + 1, 270));
    const int count = end - first;
    std::vector<QDate> starts;
    for (int k = first; k <= end; ++k) {
        starts.push_back(newMoonDate(k));
    }
    const auto monthOf = [&](const QDate& d) {
        int i = 0;
        while (i + 1 < int(starts.size()) && starts[i + 1] <= d) {
            ++i;
        }
        return i;
    };
    int leapAt = -1;
    if (count == 13) {
        // 中気 per month: 冬至 of year, then 大寒 .. 小雪 of year + 1.
        std::vector<int> principal(count, 0);
        principal[0] = 1;
        for (int step = 1; step < 12; ++step) {
            const int m = monthOf(sunDate(year + 1, std::fmod(270.0 + 30.0 * step, 360.0)));
            if (m < count) {
                ++principal[m];
            }
        }
        // The fixed months; the last is 冬至 of the next year.
        const std::array<int, 5> anchor = {0, monthOf(sunDate(year + 1, 0)), monthOf(sunDate(year + 1, 90)),
                                           monthOf(sunDate(year + 1, 180)), count};
        for (int a = 0; a < 4 && leapAt < 0; ++a) {
            if (anchor[a + 1] - anchor[a] == 4) {
                leapAt = anchor[a] + 1;
                for (int i = anchor[a] + 1; i < anchor[a + 1]; ++i) {
                    if (principal[i] == 0) {
                        leapAt = i;
                        break;
                    }
                }
            }
        }
    }
    std::vector<LunarMonth> months(count);
    int number = 11;
    bool newYear = false;
    for (int i = 0; i < count; ++i) {
        LunarMonth& m = months[i];
        m.start = starts[i];
        if (i == leapAt) {
            m.leap = true;
        } else if (i != 0) {
            number = number % 12 + 1;
        }
        newYear = newYear || number == 1;
        m.month = number;
        m.year = newYear ? year + 1 : year;
    }
    return months;
}

struct YearData {
    std::vector<DayInfo> days; // index: day of the year - 1
};

struct Seasonal {
    QDate date;
    int order; // 節気 before 雑節 on one day, then in the order added
    QString name;
};

// The 戊 day nearest `date`; of two equally near, the earlier.
QDate nearestTsuchinoe(const QDate& date)
{
    // Day stems: (JDN + 9) mod 10, 0 甲 .. 4 戊 .. 9 癸.
    const int stem = int((date.toJulianDay() + 9) % 10);
    int offset = 4 - stem; // -5 .. 4
    if (offset > 5) {
        offset -= 10;
    }
    return date.addDays(offset);
}

std::vector<Seasonal> seasonalDays(int year)
{
    std::vector<Seasonal> out;
    std::array<QDate, 24> term;
    for (int i = 0; i < 24; ++i) {
        term[i] = solarTermDate(year, i);
        out.push_back({term[i], 0, QString::fromUtf8(kTermNames[i])});
    }
    const QDate risshun = term[21], shunbun = term[0], shubun = term[12];
    const auto add = [&](const QDate& d, const char* name) {
        out.push_back({d, 1, QString::fromUtf8(name)});
    };
    add(risshun.addDays(-1), "節分");
    for (const QDate& equinox : {shunbun, shubun}) {
        add(equinox.addDays(-3), "彼岸入り");
        add(nearestTsuchinoe(equinox), "社日");
        add(equinox.addDays(3), "彼岸明け");
    }
    add(risshun.addDays(87), "八十八夜");
    add(sunDate(year, 80), "入梅");
    add(sunDate(year, 100), "半夏生");
    for (double degrees : {297.0, 27.0, 117.0, 207.0}) {
        add(sunDate(year, degrees), "土用の入り");
    }
    add(risshun.addDays(209), "二百十日");
    add(risshun.addDays(219), "二百二十日");
    std::stable_sort(out.begin(), out.end(), [](const Seasonal& a, const Seasonal& b) {
        return a.date != b.date ? a.date < b.date : a.order < b.order;
    });
    return out;
}

class Cache
{
public:
    const YearData& year(int y)
    {
        QMutexLocker lock(&m_mutex);
        auto it = m_years.find(y);
        if (it == m_years.end()) {
            it = m_years.emplace(y, computeYear(y)).first;
        }
        return *it->second;
    }
    std::vector<LunarMonth> span(int y)
    {
        QMutexLocker lock(&m_mutex);
        return spanLocked(y);
    }
    bool has(int y)
    {
        QMutexLocker lock(&m_mutex);
        return m_years.count(y) != 0;
    }

private:
    const std::vector<LunarMonth>& spanLocked(int y)
    {
        auto it = m_spans.find(y);
        if (it == m_spans.end()) {
            it = m_spans.emplace(y, computeSpan(y)).first;
        }
        return it->second;
    }

    std::unique_ptr<YearData> computeYear(int y)
    {
        auto data = std::make_unique<YearData>();
        const QDate jan1(y, 1, 1);
        data->days.resize(jan1.daysInYear());
        std::vector<LunarMonth> months = spanLocked(y - 1);
        const std::vector<LunarMonth>& next = spanLocked(y);
        months.insert(months.end(), next.begin(), next.end());
        std::size_t m = 0;
        for (int i = 0; i < int(data->days.size()); ++i) {
            const QDate d = jan1.addDays(i);
            while (m + 1 < months.size() && months[m + 1].start <= d) {
                ++m;
            }
            DayInfo& info = data->days[i];
            info.lunar.year = months[m].year;
            info.lunar.month = months[m].month;
            info.lunar.leap = months[m].leap;
            info.lunar.day = int(months[m].start.daysTo(d)) + 1;
            info.rokuyo = rokuyoIndex(info.lunar);
        }
        for (const Seasonal& s : seasonalDays(y)) {
            if (s.date.year() == y) {
                data->days[s.date.dayOfYear() - 1].seasonal.append(s.name);
            }
        }
        return data;
    }

    QMutex m_mutex;
    std::map<int, std::unique_ptr<YearData>> m_years;
    std::map<int, std::vector<LunarMonth>> m_spans;
};

Cache& cache()
{
    static Cache c;
    return c;
}

} // namespace

QString LunarDate::text() const
{
    // Made once: a month view asks for 42 of them at every step.
    static const QList<QString> texts = [] {
        QList<QString> all;
        for (const bool isLeap : {false, true}) {
            for (int m = 1; m <= 12; ++m) {
                for (int d = 1; d <= 30; ++d) {
                    all << QStringLiteral("%1%2/%3")
                               .arg(isLeap ? QStringLiteral("閏") : QString())
                               .arg(m)
                               .arg(d);
                }
            }
        }
        return all;
    }();
    if (!isValid() || month < 1 || month > 12 || day < 1 || day > 30) {
        return {};
    }
    return texts[(leap ? 360 : 0) + (month - 1) * 30 + day - 1];
}

int rokuyoIndex(const LunarDate& lunar)
{
    return lunar.isValid() ? (lunar.month + lunar.day) % 6 : -1;
}

QString rokuyoName(int index)
{
    return index >= 0 && index < 6 ? QString::fromUtf8(kRokuyoNames[index]) : QString();
}

QString solarTermName(int index)
{
    return index >= 0 && index < 24 ? QString::fromUtf8(kTermNames[index]) : QString();
}

QDate solarTermDate(int year, int index)
{
    if (year < kFirstYear - 1 || year > kLastYear + 1 || index < 0 || index >= 24) {
        return {};
    }
    return sunDate(year, 15.0 * index);
}

DayInfo dayInfo(const QDate& date)
{
    if (!isSupported(date)) {
        return {};
    }
    return cache().year(date.year()).days[date.dayOfYear() - 1];
}

LunarDate lunarDate(const QDate& date)
{
    if (!isSupported(date)) {
        return {};
    }
    return cache().year(date.year()).days[date.dayOfYear() - 1].lunar;
}

QString seasonalText(const QDate& date)
{
    if (!isSupported(date)) {
        return {};
    }
    return cache().year(date.year()).days[date.dayOfYear() - 1].seasonal.join(QStringLiteral("・"));
}

std::vector<LunarMonth> lunarMonthsStartingIn(int year)
{
    std::vector<LunarMonth> out;
    if (year < kFirstYear || year > kLastYear) {
        return out;
    }
    for (int y : {year - 1, year}) {
        for (const LunarMonth& m : cache().span(y)) {
            if (m.start.year() == year) {
                out.push_back(m);
            }
        }
    }
    return out;
}

QString captionText(const QDate& date, int marks)
{
    if (marks == 0 || !isSupported(date)) {
        return {};
    }
    const DayInfo info = dayInfo(date);
    QStringList parts;
    if (marks & MarkRokuyo) {
        parts << rokuyoName(info.rokuyo);
    }
    if ((marks & MarkSeasonal) && !info.seasonal.isEmpty()) {
        parts << info.seasonal.join(QStringLiteral("・"));
    }
    return parts.join(QLatin1Char(' '));
}

QString bannerText(const QDate& date, int marks)
{
    if (marks == 0 || !isSupported(date)) {
        return {};
    }
    const DayInfo info = dayInfo(date);
    QStringList parts;
    if (marks & MarkLunar) {
        parts << QStringLiteral("旧") + info.lunar.text();
    }
    if (marks & MarkRokuyo) {
        parts << rokuyoName(info.rokuyo);
    }
    return parts.join(QLatin1Char(' '));
}

void warmUp(int fromYear, int toYear)
{
    for (int y = std::max(fromYear, kFirstYear); y <= std::min(toYear, kLastYear); ++y) {
        cache().year(y);
    }
}

bool isComputed(int year)
{
    return cache().has(year);
}

} // namespace nox::koyomi
