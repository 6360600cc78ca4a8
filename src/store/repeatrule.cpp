#include "store/repeatrule.h"

#include <QStringList>
#include <algorithm>
#include <numeric>

namespace nox
{

namespace
{

const char* const kWeekdayCodes[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
const char* const kWeekdayNames[] = {"月", "火", "水", "木", "金", "土", "日"};
const QString kDateForm = QStringLiteral("yyyyMMdd");

// "20270309" as a date; invalid for anything else.
QDate compactDate(QStringView text)
{
    if (text.size() != 8) {
        return {};
    }
    for (QChar c : text) {
        if (c < u'0' || c > u'9') {
            return {};
        }
    }
    return QDate(text.left(4).toInt(), text.mid(4, 2).toInt(), text.mid(6, 2).toInt());
}

QString compactText(const QDate& date)
{
    return date.toString(kDateForm);
}

bool parseIntList(const QString& value, int lo, int hi, bool allowNegative, QList<int>* out)
{
    for (const QString& part : value.split(u',')) {
        bool ok = false;
        const int n = part.toInt(&ok);
        if (!ok || n == 0 || std::abs(n) < lo || std::abs(n) > hi || (n < 0 && !allowNegative)) {
            return false;
        }
        if (!out->contains(n)) {
            out->append(n);
        }
    }
    return true;
}

int weekdayOfCode(QStringView code)
{
    for (int i = 0; i < 7; ++i) {
        if (code == QLatin1String(kWeekdayCodes[i])) {
            return i + 1;
        }
    }
    return 0;
}

bool parseByDay(const QString& value, QList<RuleDay>* out)
{
    for (const QString& part : value.split(u',')) {
        if (part.size() < 2) {
            return false;
        }
        const int weekday = weekdayOfCode(QStringView(part).right(2));
        const QString ordinalText = part.left(part.size() - 2);
        bool ok = true;
        const int ordinal = ordinalText.isEmpty() ? 0 : ordinalText.toInt(&ok);
        if (weekday == 0 || !ok || (!ordinalText.isEmpty() && (ordinal == 0 || std::abs(ordinal) > 53))) {
            return false;
        }
        out->append(RuleDay{weekday, ordinal});
    }
    return true;
}

QDate parseUntil(const QString& value)
{
    // A date, or a date-time (yyyyMMddThhmmss, perhaps with Z) of which the date counts.
    if (value.size() > 8 && value.at(8) != u'T') {
        return {};
    }
    return compactDate(QStringView(value).left(8));
}

// --- the rule's filter of days, for the check that a rule ever gives a date --

int daysInYear(int year)
{
    return QDate::isLeapYear(year) ? 366 : 365;
}

// True when `ordinal` (0: any) names the weekday of day `index` (1-based) of a
// period of `length` days.
bool ordinalFits(int ordinal, int index, int length)
{
    if (ordinal == 0) {
        return true;
    }
    return ordinal > 0 ? (index - 1) / 7 + 1 == ordinal : (length - index) / 7 + 1 == -ordinal;
}

bool byDayFits(const RRule& r, const QDate& d)
{
    const bool inMonth = r.freq == RuleFreq::Monthly || (r.freq == RuleFreq::Yearly && !r.byMonth.isEmpty());
    for (const RuleDay& day : r.byDay) {
        if (day.weekday != d.dayOfWeek()) {
            continue;
        }
        if (inMonth ? ordinalFits(day.ordinal, d.day(), d.daysInMonth())
                    : ordinalFits(day.ordinal, d.dayOfYear(), daysInYear(d.year()))) {
            return true;
        }
    }
    return false;
}

bool monthDayFits(const RRule& r, const QDate& d)
{
    return r.byMonthDay.contains(d.day()) || r.byMonthDay.contains(d.day() - d.daysInMonth() - 1);
}

// True when the rule's BY parts (and what it takes from the first date when
// they leave something open) let `d` through; BYSETPOS is not looked at.
bool dayFits(const RRule& r, const QDate& d, const QDate& first)
{
    if (!r.byMonth.isEmpty() && !r.byMonth.contains(d.month())) {
        return false;
    }
    if (!r.byMonthDay.isEmpty() && !monthDayFits(r, d)) {
        return false;
    }
    if (!r.byDay.isEmpty() && !byDayFits(r, d)) {
        return false;
    }
    const bool noDayPart = r.byDay.isEmpty() && r.byMonthDay.isEmpty();
    switch (r.freq) {
    case RuleFreq::Daily:
        return true;
    case RuleFreq::Weekly:
        return !r.byDay.isEmpty() || d.dayOfWeek() == first.dayOfWeek();
    case RuleFreq::Monthly:
        return !noDayPart || d.day() == first.day();
    case RuleFreq::Yearly:
        if (noDayPart && r.byMonth.isEmpty()) {
            return d.month() == first.month() && d.day() == first.day();
        }
        return !noDayPart || d.day() == first.day();
    }
    return false;
}

// The first day of the period (of the rule's frequency) that holds `d`.
QDate periodStart(const RRule& r, const QDate& d)
{
    switch (r.freq) {
    case RuleFreq::Daily:
        return d;
    case RuleFreq::Weekly:
        return d.addDays(-((d.dayOfWeek() - r.weekStart + 7) % 7));
    case RuleFreq::Monthly:
        return QDate(d.year(), d.month(), 1);
    case RuleFreq::Yearly:
        return QDate(d.year(), 1, 1);
    }
    return d;
}

QDate nextPeriod(const RRule& r, const QDate& start, int steps)
{
    switch (r.freq) {
    case RuleFreq::Daily:
        return start.addDays(steps);
    case RuleFreq::Weekly:
        return start.addDays(7LL * steps);
    case RuleFreq::Monthly:
        return start.addMonths(steps);
    case RuleFreq::Yearly:
        return start.addYears(steps);
    }
    return start;
}

// Periods after which the calendar repeats (400 Gregorian years).
int cyclePeriods(RuleFreq freq)
{
    switch (freq) {
    case RuleFreq::Daily:
        return 146097;
    case RuleFreq::Weekly:
        return 20871;
    case RuleFreq::Monthly:
        return 4800;
    case RuleFreq::Yearly:
        return 400;
    }
    return 0;
}

// True when some day from `first` on (up to UNTIL) passes the rule's
// filter. The calendar repeats every 400 years, so a rule that gives no date
// in as many of its periods (each `interval` apart) gives none ever.
bool givesADate(const RRule& r, const QDate& first)
{
    const QDate start = periodStart(r, first);
    const int periods = cyclePeriods(r.freq) / std::gcd(cyclePeriods(r.freq), r.interval) + 1;
    for (int k = 0; k < periods; ++k) {
        const QDate from = nextPeriod(r, start, k * r.interval);
        const QDate to = nextPeriod(r, from, 1);
        for (QDate d = std::max(from, first); d < to; d = d.addDays(1)) {
            if (r.until.isValid() && d > r.until) {
                return false;
            }
            if (dayFits(r, d, first)) {
                return true;
            }
        }
    }
    return false;
}

QString partMessage(const QString& part)
{
    return QStringLiteral("繰り返しの規則の「%1」は使えません").arg(part);
}

// Checks one NAME=VALUE part into *rule; an empty result when it fits.
QString takePart(const QString& name, const QString& value, RRule* rule)
{
    bool ok = true;
    if (name == u"FREQ") {
        static const QStringList freqs{QStringLiteral("DAILY"), QStringLiteral("WEEKLY"),
                                       QStringLiteral("MONTHLY"), QStringLiteral("YEARLY")};
        const int index = freqs.indexOf(value);
        if (index < 0) {
            return QStringLiteral("繰り返しの頻度「%1」は使えません（毎日・毎週・毎月・毎年のみ）")
                .arg(value);
        }
        rule->freq = RuleFreq(index);
    } else if (name == u"INTERVAL") {
        rule->interval = value.toInt(&ok);
        ok = ok && rule->interval >= 1 && rule->interval <= kRuleIntervalLimit;
    } else if (name == u"COUNT") {
        rule->count = value.toInt(&ok);
        ok = ok && rule->count >= 1 && rule->count <= kRuleCountLimit;
    } else if (name == u"UNTIL") {
        rule->until = parseUntil(value);
        ok = rule->until.isValid();
    } else if (name == u"BYDAY") {
        ok = parseByDay(value, &rule->byDay);
    } else if (name == u"BYMONTHDAY") {
        ok = parseIntList(value, 1, 31, true, &rule->byMonthDay);
    } else if (name == u"BYMONTH") {
        ok = parseIntList(value, 1, 12, false, &rule->byMonth);
    } else if (name == u"BYSETPOS") {
        ok = parseIntList(value, 1, 366, true, &rule->bySetPos);
    } else if (name == u"WKST") {
        rule->weekStart = weekdayOfCode(value);
        ok = value.size() == 2 && rule->weekStart != 0;
    } else {
        return partMessage(name);
    }
    return ok ? QString()
              : QStringLiteral("繰り返しの規則の %1 の値「%2」が正しくありません").arg(name, value);
}

// What the parts say together; an empty result when they fit.
QString checkTogether(const RRule& r, const QDate& first)
{
    if (r.count > 0 && r.until.isValid()) {
        return QStringLiteral("繰り返しの規則に COUNT と UNTIL の両方があります");
    }
    const bool ordinals =
        std::any_of(r.byDay.cbegin(), r.byDay.cend(), [](const RuleDay& d) { return d.ordinal != 0; });
    if (ordinals && (r.freq == RuleFreq::Daily || r.freq == RuleFreq::Weekly)) {
        return QStringLiteral("「第n曜日」は毎月・毎年の繰り返しでだけ使えます");
    }
    const bool monthScope = r.freq == RuleFreq::Monthly || !r.byMonth.isEmpty();
    for (const RuleDay& d : r.byDay) {
        if (monthScope && std::abs(d.ordinal) > 5) {
            return QStringLiteral("月の中の曜日は第5までです");
        }
    }
    if (!r.byMonthDay.isEmpty() && r.freq == RuleFreq::Weekly) {
        return QStringLiteral("毎週の繰り返しに日付 (BYMONTHDAY) は使えません");
    }
    if (!r.bySetPos.isEmpty() && r.byDay.isEmpty() && r.byMonthDay.isEmpty() && r.byMonth.isEmpty()) {
        return QStringLiteral("BYSETPOS はほかの BY の指定と一緒にだけ使えます");
    }
    if (!givesADate(r, first)) {
        return QStringLiteral("この繰り返しの規則に当たる日は一日もありません");
    }
    return {};
}

QString weekdayList(const QList<RuleDay>& days)
{
    QString text;
    for (const RuleDay& d : days) {
        if (!text.isEmpty()) {
            text += u'・';
        }
        text += QString::fromUtf8(kWeekdayNames[d.weekday - 1]);
    }
    return text + QStringLiteral("曜日");
}

QString ordinalDay(const RuleDay& d)
{
    const QString name = QString::fromUtf8(kWeekdayNames[d.weekday - 1]) + QStringLiteral("曜日");
    if (d.ordinal == 0) {
        return QStringLiteral("毎") + name;
    }
    if (d.ordinal == -1) {
        return QStringLiteral("最終") + name;
    }
    if (d.ordinal < 0) {
        return QStringLiteral("最後から%1番目の").arg(-d.ordinal) + name;
    }
    return QStringLiteral("第%1").arg(d.ordinal) + name;
}

QString monthDayText(int day)
{
    if (day == -1) {
        return QStringLiteral("末日");
    }
    if (day < 0) {
        return QStringLiteral("末日の%1日前").arg(-day - 1);
    }
    return QStringLiteral("%1日").arg(day);
}

QString joined(const QStringList& parts)
{
    return parts.join(u'・');
}

// The days within a month (or year) the rule names.
QString dayPart(const RRule& r, const QDate& first)
{
    QStringList parts;
    for (int day : r.byMonthDay) {
        parts.append(monthDayText(day));
    }
    for (const RuleDay& d : r.byDay) {
        parts.append(ordinalDay(d));
    }
    if (parts.isEmpty()) {
        parts.append(monthDayText(first.day()));
    }
    QString text = joined(parts);
    if (r.bySetPos.size() == 1) {
        text += r.bySetPos.first() == -1 ? QStringLiteral("のうち最後の日")
                                         : QStringLiteral("のうち%1番目の日").arg(r.bySetPos.first());
    }
    return text;
}

QString monthsPart(const RRule& r, const QDate& first)
{
    QList<int> months = r.byMonth;
    if (months.isEmpty()) {
        months.append(first.month());
    }
    std::sort(months.begin(), months.end());
    QStringList parts;
    for (int m : months) {
        parts.append(QStringLiteral("%1月").arg(m));
    }
    return joined(parts);
}

QString frequencyPart(const RRule& r, const QDate& first)
{
    const bool every = r.interval == 1;
    switch (r.freq) {
    case RuleFreq::Daily:
        return every ? QStringLiteral("毎日") : QStringLiteral("%1日ごと").arg(r.interval);
    case RuleFreq::Weekly: {
        const QList<RuleDay> days =
            r.byDay.isEmpty() ? QList<RuleDay>{RuleDay{first.dayOfWeek(), 0}} : r.byDay;
        return (every ? QStringLiteral("毎週") : QStringLiteral("%1週ごとの").arg(r.interval)) +
               weekdayList(days);
    }
    case RuleFreq::Monthly: {
        const QString prefix =
            every ? QStringLiteral("毎月") : QStringLiteral("%1か月ごとの").arg(r.interval);
        QString text = prefix + dayPart(r, first);
        if (!r.byMonth.isEmpty()) {
            text += QStringLiteral("（%1のみ）").arg(monthsPart(r, first));
        }
        return text.replace(QStringLiteral("毎月毎"), QStringLiteral("毎月の毎"));
    }
    case RuleFreq::Yearly: {
        const QString prefix = every ? QStringLiteral("毎年") : QStringLiteral("%1年ごとの").arg(r.interval);
        if (r.byMonth.isEmpty() && !r.byDay.isEmpty() && r.byMonthDay.isEmpty()) {
            return prefix + dayPart(r, first).replace(QStringLiteral("第"), QStringLiteral("年の第"));
        }
        return prefix + monthsPart(r, first) + dayPart(r, first);
    }
    }
    return {};
}

} // namespace

QString holidayRuleName(HolidayRule rule)
{
    switch (rule) {
    case HolidayRule::None:
        return QStringLiteral("none");
    case HolidayRule::Skip:
        return QStringLiteral("skip");
    case HolidayRule::Before:
        return QStringLiteral("before");
    case HolidayRule::After:
        return QStringLiteral("after");
    }
    return {};
}

std::optional<HolidayRule> holidayRuleOf(const QString& name)
{
    for (HolidayRule rule : {HolidayRule::None, HolidayRule::Skip, HolidayRule::Before, HolidayRule::After}) {
        if (holidayRuleName(rule) == name) {
            return rule;
        }
    }
    return std::nullopt;
}

RRuleCheck checkRRule(const QString& text, const QDate& first)
{
    RRuleCheck check;
    QString value = text.trimmed();
    if (value.startsWith(QLatin1String("RRULE:"), Qt::CaseInsensitive)) {
        value = value.mid(6);
    }
    if (!first.isValid()) {
        check.message = QStringLiteral("繰り返しの最初の日付が正しくありません");
        return check;
    }
    QStringList seen;
    for (const QString& part : value.split(u';', Qt::SkipEmptyParts)) {
        const int eq = part.indexOf(u'=');
        const QString name = part.left(eq).toUpper();
        if (eq <= 0 || seen.contains(name)) {
            check.message = QStringLiteral("繰り返しの規則「%1」が読めません").arg(text);
            return check;
        }
        seen.append(name);
        check.message = takePart(name, part.mid(eq + 1).toUpper(), &check.rule);
        if (!check.message.isEmpty()) {
            return check;
        }
    }
    if (!seen.contains(QStringLiteral("FREQ"))) {
        check.message = QStringLiteral("繰り返しの規則に FREQ がありません");
        return check;
    }
    check.message = checkTogether(check.rule, first);
    check.ok = check.message.isEmpty();
    return check;
}

QString formatRepeatLine(const RepeatRule& rule)
{
    QStringList excepted;
    for (const QDate& d : rule.excepted) {
        excepted.append(compactText(d));
    }
    TSkedRec sked = rule.sked;
    sked.ID = rule.id;
    QString line = QString::number(rule.id) + u'\t' + compactText(rule.first) + u'\t' + rule.rrule + u'\t' +
                   holidayRuleName(rule.holiday) + u'\t' + excepted.join(u',') + u'\t' + formatSkedLine(sked);
    if (!rule.laterFields.isEmpty()) {
        line += u'\t' + rule.laterFields;
    }
    return line;
}

RepeatLineResult parseRepeatLine(const QString& line, RepeatRule* rule)
{
    RepeatLineResult result;
    const QStringList fields = line.split(u'\t');
    if (fields.size() < kRepeatFieldCount + kSkedRequiredFields) {
        result.reason = QStringLiteral("項目が足りません");
        return result;
    }
    RepeatRule read;
    bool ok = false;
    read.id = fields.at(0).toInt(&ok);
    if (!ok || !isRuleId(read.id)) {
        result.reason = QStringLiteral("繰り返しの ID「%1」が正しくありません").arg(fields.at(0));
        return result;
    }
    read.first = compactDate(fields.at(1));
    const RRuleCheck check = checkRRule(fields.at(2), read.first);
    if (!check.ok) {
        result.reason = check.message;
        return result;
    }
    read.rrule = fields.at(2);
    const std::optional<HolidayRule> holiday = holidayRuleOf(fields.at(3));
    if (!holiday) {
        result.reason = QStringLiteral("祝日の扱い「%1」が正しくありません").arg(fields.at(3));
        return result;
    }
    read.holiday = *holiday;
    for (const QString& text : fields.at(4).split(u',', Qt::SkipEmptyParts)) {
        const QDate d = compactDate(text);
        if (!d.isValid()) {
            result.reason = QStringLiteral("除く日付「%1」が正しくありません").arg(text);
            return result;
        }
        read.excepted.append(d);
    }
    std::sort(read.excepted.begin(), read.excepted.end());
    read.excepted.erase(std::unique(read.excepted.begin(), read.excepted.end()), read.excepted.end());
    const QStringList skedFields = fields.mid(kRepeatFieldCount, kSkedFieldCount);
    const TSkedParseResult sked = parseSkedLine(skedFields.join(u'\t'), read.first, &read.sked);
    if (!sked.ok()) {
        result.reason = sked.message();
        return result;
    }
    if (read.sked.ID != read.id) {
        result.reason = QStringLiteral("予定の ID が繰り返しの ID と違います");
        return result;
    }
    read.laterFields = fields.mid(kRepeatFieldCount + kSkedFieldCount).join(u'\t');
    *rule = read;
    result.ok = true;
    result.parsed = check.rule;
    return result;
}

std::optional<RuleRef> ruleRefOf(const TSkedRec& rec)
{
    const QString field = rec.ExtraFields.section(u'\t', 0, 0);
    if (!field.startsWith(u'R') || field.size() < 12) {
        return std::nullopt;
    }
    const int colon = field.indexOf(u':');
    bool ok = false;
    const qint32 id = field.mid(1, colon - 1).toInt(&ok);
    const QDate date = colon > 0 ? compactDate(QStringView(field).mid(colon + 1)) : QDate();
    if (!ok || !isRuleId(id) || !date.isValid()) {
        return std::nullopt;
    }
    return RuleRef{id, date};
}

void setRuleRef(TSkedRec* rec, const RuleRef& ref)
{
    QStringList fields = rec->ExtraFields.isEmpty() ? QStringList() : rec->ExtraFields.split(u'\t');
    const QString field = QStringLiteral("R%1:%2").arg(ref.ruleId).arg(compactText(ref.date));
    if (ruleRefOf(*rec)) {
        fields[0] = field;
    } else {
        fields.prepend(field);
    }
    rec->ExtraFields = fields.join(u'\t');
}

bool ruleDayFits(const RRule& r, const QDate& d, const QDate& first)
{
    return dayFits(r, d, first);
}

QDate rulePeriodStart(const RRule& r, const QDate& d)
{
    return periodStart(r, d);
}

QDate ruleNextPeriod(const RRule& r, const QDate& start, int steps)
{
    return nextPeriod(r, start, steps);
}

QString describeRule(const RRule& rule, const QDate& first, HolidayRule holiday)
{
    QString text = frequencyPart(rule, first);
    if (rule.until.isValid()) {
        text += QStringLiteral("、%1まで").arg(rule.until.toString(QStringLiteral("yyyy年M月d日")));
    } else if (rule.count > 0) {
        text += QStringLiteral("、%1回").arg(rule.count);
    }
    switch (holiday) {
    case HolidayRule::None:
        break;
    case HolidayRule::Skip:
        text += QStringLiteral("（土日祝日は休み）");
        break;
    case HolidayRule::Before:
        text += QStringLiteral("（土日祝日は前の平日）");
        break;
    case HolidayRule::After:
        text += QStringLiteral("（土日祝日は次の平日）");
        break;
    }
    return text;
}

} // namespace nox
