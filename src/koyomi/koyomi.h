#pragma once
// The Japanese calendar of a day: the old lunisolar date (旧暦) by the
// 天保暦 rules as applied since 1912, its 六曜, and the 二十四節気 and 雑節
// falling on the day, all dated in Japan Standard Time (UTC+9) whatever the
// machine's time zone. Valid for 1900-01-01 .. 2100-12-31.
//
// Each Gregorian year is computed once, on first use, and kept: asking for a
// day of a year already computed costs a lookup. warmUp() computes a range
// of years ahead, so that views can ask from their paint code.
#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

namespace nox::koyomi
{

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2100;

inline bool isSupported(const QDate& date)
{
    return date.isValid() && date.year() >= kFirstYear && date.year() <= kLastYear;
}

// The old (lunisolar) date.
struct LunarDate {
    int year = 0;  // the old year (begins on the first day of month 1)
    int month = 0; // 1..12; 0 for an unsupported date
    int day = 0;   // 1..30
    bool leap = false;
    bool isValid() const { return month != 0; }
    // "3/15" or "閏3/15".
    QString text() const;
};

// 0 大安, 1 赤口, 2 先勝, 3 友引, 4 先負, 5 仏滅: (month + day) mod 6.
int rokuyoIndex(const LunarDate& lunar);
QString rokuyoName(int index);

// Everything a view shows for one day.
struct DayInfo {
    LunarDate lunar;
    int rokuyo = -1;      // -1 for an unsupported date
    QStringList seasonal; // 二十四節気 and 雑節 names of the day, in order of the sun
};

// The day's calendar; an empty DayInfo outside 1900..2100.
DayInfo dayInfo(const QDate& date);
LunarDate lunarDate(const QDate& date);
// Seasonal names joined with "・"; empty when none.
QString seasonalText(const QDate& date);

// The twenty-four solar terms of a year: index i is the sun at 15·i degrees
// (0 春分, 3 立夏, 6 夏至, 18 冬至, 21 立春 ...).
QString solarTermName(int index);
// The JST date of the sun reaching 15·index degrees in Gregorian year
// `year` (invalid outside 1900..2100).
QDate solarTermDate(int year, int index);

// One lunar month: its first day and its name.
struct LunarMonth {
    QDate start;
    int year = 0;
    int month = 0;
    bool leap = false;
};
// The months whose first day lies in Gregorian year `year`.
std::vector<LunarMonth> lunarMonthsStartingIn(int year);

// What the views show of the calendar (Nox.ini [koyomi]); 0 shows nothing.
enum Mark { MarkRokuyo = 1, MarkLunar = 2, MarkSeasonal = 4 };

// Texts of the marks `marks` asks for, joined by a space; empty when none
// applies. captionText: 六曜 then the seasonal names ("大安 冬至"), for the
// day columns' captions; bannerText: old date then 六曜 ("旧10/30 先負").
QString captionText(const QDate& date, int marks);
QString bannerText(const QDate& date, int marks);

// Computes the years [from, to] now (clamped to 1900..2100).
void warmUp(int fromYear, int toYear);
// Whether the year is already computed (lookups for it cost no astronomy).
bool isComputed(int year);

} // namespace nox::koyomi
