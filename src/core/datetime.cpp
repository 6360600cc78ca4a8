#include "core/datetime.h"

#include <cmath>

namespace nox
{

namespace
{

const QDate kEpoch(1899, 12, 30);
constexpr qint64 kMsecsPerDay = 86400000;

// Japanese locale names.
const char16_t* const kShortDayNames[] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};
const char16_t* const kLongDayNames[] = {u"日曜日", u"月曜日", u"火曜日", u"水曜日",
                                         u"木曜日", u"金曜日", u"土曜日"};
const char16_t* const kAmText = u"午前";
const char16_t* const kPmText = u"午後";
// Short and long forms the "c", "t", "tt", "ddddd" and "dddddd" tokens expand to.
const char16_t* const kShortDateFormat = u"yyyy/mm/dd";
const char16_t* const kLongDateFormat = u"yyyy'年'm'月'd'日'";
const char16_t* const kShortTimeFormat = u"h:nn";
const char16_t* const kLongTimeFormat = u"h:nn:ss";

struct Era {
    QDate start;
    const char16_t* name;
    char initial;
};

// Newest first: the first era whose start is not after the date is its era.
const Era kEras[] = {
    {QDate(2019, 5, 1), u"令和", 'R'},   {QDate(1989, 1, 8), u"平成", 'H'},
    {QDate(1926, 12, 25), u"昭和", 'S'}, {QDate(1912, 7, 30), u"大正", 'T'},
    {QDate(1868, 1, 25), u"明治", 'M'},
};

const Era* eraOf(const QDate& date)
{
    for (const Era& e : kEras) {
        if (date >= e.start) {
            return &e;
        }
    }
    return nullptr;
}

// Sunday = 0, as the name tables are ordered.
int weekdayIndex(const QDate& date)
{
    return date.dayOfWeek() % 7;
}

bool startsWithCI(QStringView text, qsizetype pos, QStringView word)
{
    return text.mid(pos).startsWith(word, Qt::CaseInsensitive);
}

class Formatter
{
public:
    Formatter(const QDate& date, const QTime& time) : m_date(date), m_time(time) {}
    QString run(QStringView pattern)
    {
        append(pattern, 0);
        return m_out;
    }

private:
    void append(QStringView f, int depth);
    qsizetype token(QStringView f, qsizetype i, QChar upper, qsizetype count, int depth);
    qsizetype letterA(QStringView f, qsizetype i);
    void hour(QStringView f, qsizetype after, qsizetype count);
    void era(qsizetype count);
    void number(int value, qsizetype digits) { m_out += QString::number(value).rightJustified(digits, u'0'); }

    QDate m_date;
    QTime m_time;
    QString m_out;
    QChar m_lastLetter;
    bool m_use12 = false; // an am/pm token seen so far puts later hours on the 12-hour clock
};

// Number of times the character at i repeats (case-insensitive).
qsizetype runLength(QStringView f, qsizetype i)
{
    qsizetype n = 1;
    while (i + n < f.size() && f[i + n].toUpper() == f[i].toUpper()) {
        ++n;
    }
    return n;
}

void Formatter::append(QStringView f, int depth)
{
    if (depth > 2) {
        return; // the built-in forms nest at most once
    }
    qsizetype i = 0;
    while (i < f.size()) {
        const QChar c = f[i];
        if (c == u'"' || c == u'\'') {
            const qsizetype end = f.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? f.size() : end;
            m_out += f.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        QChar upper = c.unicode() < 128 ? c.toUpper() : c;
        if (upper < u'A' || upper > u'Z') {
            m_out += c;
            ++i;
            continue;
        }
        if (upper == u'M' && m_lastLetter == u'H') {
            upper = u'N';
        }
        m_lastLetter = upper;
        i = token(f, i, upper, runLength(f, i), depth);
    }
}

// Handles the token starting at i; returns the index after it.
qsizetype Formatter::token(QStringView f, qsizetype i, QChar upper, qsizetype count, int depth)
{
    switch (upper.unicode()) {
    case u'Y':
        number(count <= 2 ? m_date.year() % 100 : m_date.year(), count <= 2 ? 2 : 4);
        return i + count;
    case u'M':
        if (count <= 2) {
            number(m_date.month(), count);
        } else {
            m_out += QString::number(m_date.month());
            m_out += QStringView(u"月");
        }
        return i + count;
    case u'D':
        if (count <= 2) {
            number(m_date.day(), count);
        } else if (count == 3) {
            m_out += QStringView(kShortDayNames[weekdayIndex(m_date)]);
        } else if (count == 4) {
            m_out += QStringView(kLongDayNames[weekdayIndex(m_date)]);
        } else {
            append(count == 5 ? QStringView(kShortDateFormat) : QStringView(kLongDateFormat), depth + 1);
        }
        return i + count;
    case u'H':
        hour(f, i + count, count);
        return i + count;
    case u'N':
        number(m_time.minute(), qMin<qsizetype>(count, 2));
        return i + count;
    case u'S':
        number(m_time.second(), qMin<qsizetype>(count, 2));
        return i + count;
    case u'Z':
        number(m_time.msec(), count > 1 ? 3 : 1);
        return i + count;
    case u'G':
        era(count);
        return i + count;
    case u'E': {
        const Era* e = eraOf(m_date);
        const int year = e ? m_date.year() - e->start.year() + 1 : m_date.year();
        number(year, qMin<qsizetype>(count, 2));
        return i + count;
    }
    case u'T':
        append(count == 1 ? QStringView(kShortTimeFormat) : QStringView(kLongTimeFormat), depth + 1);
        return i + qMin<qsizetype>(count, 2);
    case u'C':
        append(QStringView(kShortDateFormat), depth + 1);
        if (m_time.hour() != 0 || m_time.minute() != 0 || m_time.second() != 0) {
            m_out += u' ';
            append(QStringView(kLongTimeFormat), depth + 1);
        }
        return i + 1;
    case u'A':
        return letterA(f, i);
    default:
        m_out += f[i];
        return i + 1;
    }
}

// "am/pm", "a/p" (as written), "ampm" (午前/午後), "aaaa", "aaa"; a lone "a" stands as it is.
qsizetype Formatter::letterA(QStringView f, qsizetype i)
{
    const bool pm = m_time.hour() >= 12;
    if (startsWithCI(f, i, u"am/pm")) {
        m_use12 = true;
        m_out += f.mid(pm ? i + 3 : i, 2);
        return i + 5;
    }
    if (startsWithCI(f, i, u"a/p")) {
        m_use12 = true;
        m_out += f[pm ? i + 2 : i];
        return i + 3;
    }
    if (startsWithCI(f, i, u"ampm")) {
        m_use12 = true;
        m_out += QStringView(pm ? kPmText : kAmText);
        return i + 4;
    }
    if (startsWithCI(f, i, u"aaaa")) {
        m_out += QStringView(kLongDayNames[weekdayIndex(m_date)]);
        return i + 4;
    }
    if (startsWithCI(f, i, u"aaa")) {
        m_out += QStringView(kShortDayNames[weekdayIndex(m_date)]);
        return i + 3;
    }
    m_out += f[i];
    return i + 1;
}

// An hour is on the 12-hour clock when the next unquoted "a" (before any
// further hour) starts "am/pm", "a/p" or "ampm".
void Formatter::hour(QStringView f, qsizetype after, qsizetype count)
{
    bool twelve = m_use12;
    bool quoted = false;
    for (qsizetype p = after; p < f.size(); ++p) {
        const QChar c = f[p];
        if (c == u'"' || c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && (c == u'h' || c == u'H')) {
            break;
        } else if (!quoted && (c == u'a' || c == u'A')) {
            twelve = twelve || startsWithCI(f, p, u"am/pm") || startsWithCI(f, p, u"a/p") ||
                     startsWithCI(f, p, u"ampm");
            break;
        }
    }
    int h = m_time.hour();
    if (twelve) {
        h = h == 0 ? 12 : (h > 12 ? h - 12 : h);
    }
    number(h, qMin<qsizetype>(count, 2));
}

// "g": the era's initial (M T S H R); "gg" and longer: its name.
void Formatter::era(qsizetype count)
{
    const Era* e = eraOf(m_date);
    if (!e) {
        return;
    }
    if (count == 1) {
        m_out += QLatin1Char(e->initial);
    } else {
        m_out += QStringView(e->name);
    }
}

} // namespace

qint32 dayNumber(const QDate& date)
{
    return qint32(kEpoch.daysTo(date));
}

QDate dateFromDayNumber(qint32 day)
{
    return kEpoch.addDays(day);
}

TDateTime toDateTime(const QDateTime& dt)
{
    // Before the epoch the fraction counts away from zero (-1.25 is 29 December
    // 1899, 6:00), so the whole part always names the day.
    const qint32 day = dayNumber(dt.date());
    const double frac = double(dt.time().msecsSinceStartOfDay()) / kMsecsPerDay;
    return day >= 0 ? day + frac : day - frac;
}

QDateTime fromDateTime(TDateTime value)
{
    const double whole = std::trunc(value);
    const double frac = std::fabs(value - whole);
    qint64 ms = qint64(std::llround(frac * kMsecsPerDay));
    ms = qBound<qint64>(0, ms, kMsecsPerDay - 1);
    return QDateTime(dateFromDayNumber(qint32(whole)), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

QString slotTimeText(int slot)
{
    return QString::number(slot / 2) + (slot % 2 ? QStringLiteral(":30") : QStringLiteral(":00"));
}

int slotOfTime(const QTime& time)
{
    return (time.hour() * 60 + time.minute()) / 30;
}

QTime timeOfSlot(int slot)
{
    return QTime(slot / 2, slot % 2 ? 30 : 0);
}

qint32 newScheduleId(const QTime& now)
{
    return now.hour() * 10000000 + now.minute() * 100000 + now.second() * 1000 + now.msec();
}

QString formatDateTime(const QString& pattern, const QDateTime& dt)
{
    Formatter f(dt.date(), dt.time());
    return f.run(pattern.isEmpty() ? QStringView(u"c") : QStringView(pattern));
}

QString formatDateTime(const QString& pattern, const QDate& date)
{
    // Straight to the formatter: a QDateTime of local time would look up the
    // time zone of a date only to give it back.
    Formatter f(date, QTime(0, 0));
    return f.run(pattern.isEmpty() ? QStringView(u"c") : QStringView(pattern));
}

QString datePickerPattern(const QString& displayFormat)
{
    QString s = displayFormat;
    s.replace(u'm', u'M');
    s.replace(QLatin1Char('a'), QLatin1Char('d'), Qt::CaseInsensitive);
    s.remove(u'"');
    return s;
}

} // namespace nox
