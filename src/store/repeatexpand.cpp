#include "store/repeatexpand.h"

#include <libical/ical.h>

#include <algorithm>

namespace nox
{

namespace
{

icaltimetype icalDate(const QDate& d)
{
    icaltimetype t = icaltime_null_date();
    t.year = d.year();
    t.month = d.month();
    t.day = d.day();
    t.hour = t.minute = t.second = 0; // a null date holds -1 there, which the iterator takes for a time
    return t;
}

QDate qDate(const icaltimetype& t)
{
    return QDate(t.year, t.month, t.day);
}

// libical's iterator, freed with its scope.
class Iterator
{
public:
    Iterator(const QString& rrule, const QDate& first)
    {
        QByteArray text = rrule.trimmed().toUpper().toLatin1();
        if (text.startsWith("RRULE:")) {
            text.remove(0, 6);
        }
        struct icalrecurrencetype rule = icalrecurrencetype_from_string(text.constData());
        if (rule.freq != ICAL_NO_RECURRENCE) {
            m_rule = rule;
            m_it = icalrecur_iterator_new(rule, icalDate(first));
        }
        icalerror_clear_errno();
    }
    ~Iterator()
    {
        if (m_it) {
            icalrecur_iterator_free(m_it);
        }
    }
    Iterator(const Iterator&) = delete;
    Iterator& operator=(const Iterator&) = delete;

    bool isValid() const { return m_it != nullptr; }
    bool hasCount() const { return m_rule.count > 0; }
    bool jumpTo(const QDate& d) { return icalrecur_iterator_set_start(m_it, icalDate(d)) != 0; }
    QDate next()
    {
        const icaltimetype t = icalrecur_iterator_next(m_it);
        return icaltime_is_null_time(t) ? QDate() : qDate(t);
    }

private:
    icalrecur_iterator* m_it = nullptr;
    struct icalrecurrencetype m_rule = ICALRECURRENCETYPE_INITIALIZER;
};

QString limitNotice(const QDate& first)
{
    return QStringLiteral("%1 から始まる繰り返しは日付が多すぎるため %2 件で打ち切りました")
        .arg(first.toString(QStringLiteral("yyyy/MM/dd")))
        .arg(kExpandLimit);
}

// Nearest day from `d` on in steps of `step` that is no off day, within the
// move limit; `d` itself when none is found.
QDate workingDay(const QDate& d, int step, const OffDayTest& offDay)
{
    QDate candidate = d;
    for (int i = 0; i <= kHolidayMoveLimit; ++i, candidate = candidate.addDays(step)) {
        if (!offDay(candidate)) {
            return candidate;
        }
    }
    return d;
}

// Where libical's iterator may jump to for `from` without losing the rule's
// phase: the start of the period of the rule's frequency that is a whole
// number of intervals after the first date's period (the iterator counts
// its intervals from the date it is given).
QDate alignedJump(const RRule& r, const QDate& first, const QDate& from)
{
    switch (r.freq) {
    case RuleFreq::Daily:
        return first.addDays(first.daysTo(from) / r.interval * r.interval);
    case RuleFreq::Weekly: {
        const QDate week = first.addDays(-((first.dayOfWeek() - r.weekStart + 7) % 7));
        const qint64 step = 7LL * r.interval;
        return week.addDays(week.daysTo(from) / step * step);
    }
    case RuleFreq::Monthly: {
        const int months = (from.year() - first.year()) * 12 + from.month() - first.month();
        return QDate(first.year(), first.month(), 1).addMonths(months / r.interval * r.interval);
    }
    case RuleFreq::Yearly:
        return QDate(first.year() + (from.year() - first.year()) / r.interval * r.interval, 1, 1);
    }
    return first;
}

// Every rule without BYSETPOS is counted out period by period through the
// rule's filter of days (store/repeatrule.h ruleDayFits).
bool isPlainArithmetic(const RRule& r)
{
    if (r.bySetPos.isEmpty() && (r.freq == RuleFreq::Monthly || r.freq == RuleFreq::Yearly)) {
        return true;
    }
    if (!r.byMonth.isEmpty() || !r.byMonthDay.isEmpty() || !r.bySetPos.isEmpty()) {
        return false;
    }
    if (r.freq == RuleFreq::Daily) {
        return r.byDay.isEmpty();
    }
    return r.freq == RuleFreq::Weekly &&
           std::all_of(r.byDay.cbegin(), r.byDay.cend(), [](const RuleDay& d) { return d.ordinal == 0; });
}

// The dates of a plain arithmetic rule: DAILY every `interval` days; WEEKLY
// on its weekdays (the first date's by default) of every `interval`-th week,
// weeks beginning on WKST. COUNT counts from the first date.
RuleDates expandArithmetic(const RRule& r, const QDate& first, const QDate& from, const QDate& to)
{
    RuleDates result;
    QDate end = to;
    if (r.until.isValid() && r.until < end) {
        end = r.until;
    }
    int counted = 0;
    const auto take = [&](const QDate& d) {
        if (d < first) {
            return true;
        }
        if (d > end || (r.count > 0 && counted >= r.count)) {
            return false;
        }
        ++counted;
        if (d >= from) {
            result.dates.append(d);
        }
        return true;
    };
    const bool jump = r.count == 0 && from > first;
    if (r.freq == RuleFreq::Monthly || r.freq == RuleFreq::Yearly) {
        QDate period = jump ? alignedJump(r, first, from) : rulePeriodStart(r, first);
        for (int steps = 0; steps < kExpandLimit; ++steps, period = ruleNextPeriod(r, period, r.interval)) {
            const QDate next = ruleNextPeriod(r, period, 1);
            // Within the range only the days of the range need a look, but
            // a count needs every day from the first date on.
            QDate d = r.count > 0 ? std::max(period, first) : std::max({period, first, from});
            for (; d < next; d = d.addDays(1)) {
                if (ruleDayFits(r, d, first) && !take(d)) {
                    return result;
                }
            }
            if (period > end) {
                return result;
            }
        }
        result.notice = limitNotice(first);
        return result;
    }
    if (r.freq == RuleFreq::Daily) {
        for (QDate d = jump ? alignedJump(r, first, from) : first; take(d); d = d.addDays(r.interval)) {
        }
        return result;
    }
    bool days[8] = {};
    for (const RuleDay& d : r.byDay) {
        days[d.weekday] = true;
    }
    if (r.byDay.isEmpty()) {
        days[first.dayOfWeek()] = true;
    }
    for (QDate week = jump ? alignedJump(r, first, from) : alignedJump(r, first, first);;
         week = week.addDays(7LL * r.interval)) {
        for (int i = 0; i < 7; ++i) {
            const QDate d = week.addDays(i);
            if (days[d.dayOfWeek()] && !take(d)) {
                return result;
            }
        }
    }
}

RuleDates expandWithLibical(const QString& rrule, const QDate& first, const QDate& from, const QDate& to,
                            bool jump)
{
    RuleDates result;
    Iterator it(rrule, first);
    if (!it.isValid()) {
        return result;
    }
    // A rule with COUNT must be counted from its first date; libical refuses
    // to jump in one.
    if (jump && !it.hasCount() && from > first) {
        const QDate aligned = alignedJump(checkRRule(rrule, first).rule, first, from);
        if (aligned > first) {
            it.jumpTo(aligned);
        }
    }
    for (int steps = 0;; ++steps) {
        if (steps >= kExpandLimit) {
            result.notice = limitNotice(first);
            break;
        }
        const QDate d = it.next();
        if (!d.isValid() || d > to) {
            break;
        }
        if (d >= from && (result.dates.isEmpty() || result.dates.last() < d)) {
            result.dates.append(d);
        }
    }
    return result;
}

} // namespace

RuleDates expandRRule(const QString& rrule, const QDate& first, const QDate& from, const QDate& to)
{
    return expandRRuleBy(ExpandWay::Best, rrule, first, from, to);
}

RuleDates expandRRuleBy(ExpandWay way, const QString& rrule, const QDate& first, const QDate& from,
                        const QDate& to)
{
    if (!first.isValid() || !from.isValid() || !to.isValid() || to < first || to < from) {
        return {};
    }
    if (way == ExpandWay::Best) {
        const RRuleCheck check = checkRRule(rrule, first);
        if (check.ok && isPlainArithmetic(check.rule)) {
            return expandArithmetic(check.rule, first, from, to);
        }
    }
    return expandWithLibical(rrule, first, from, to, way != ExpandWay::LibicalWalking);
}

QDate expansionStart(const RepeatRule& rule, const QDate& from)
{
    const bool moves = rule.holiday == HolidayRule::Before || rule.holiday == HolidayRule::After;
    return moves ? from.addDays(-(kHolidayMoveLimit + 1)) : from;
}

QDate expansionEnd(const RepeatRule& rule, const QDate& to)
{
    const bool moves = rule.holiday == HolidayRule::Before || rule.holiday == HolidayRule::After;
    return moves ? to.addDays(kHolidayMoveLimit + 1) : to;
}

QList<Occurrence> ruleOccurrences(const RepeatRule& rule, const QDate& from, const QDate& to,
                                  const OffDayTest& offDay, QString* notice)
{
    const RuleDates dates =
        expandRRule(rule.rrule, rule.first, expansionStart(rule, from), expansionEnd(rule, to));
    if (notice && !dates.notice.isEmpty()) {
        *notice = dates.notice;
    }
    return occurrencesOf(rule, dates.dates, from, to, offDay);
}

QList<Occurrence> occurrencesOf(const RepeatRule& rule, const QList<QDate>& dates, const QDate& from,
                                const QDate& to, const OffDayTest& offDay)
{
    QList<Occurrence> result;
    const auto begin = std::lower_bound(dates.cbegin(), dates.cend(), expansionStart(rule, from));
    for (auto it = begin; it != dates.cend() && *it <= expansionEnd(rule, to); ++it) {
        const QDate d = *it;
        if (std::binary_search(rule.excepted.cbegin(), rule.excepted.cend(), d)) {
            continue;
        }
        Occurrence occurrence{d, d};
        if (rule.holiday != HolidayRule::None && offDay && offDay(d)) {
            if (rule.holiday == HolidayRule::Skip) {
                continue;
            }
            occurrence.date = workingDay(d, rule.holiday == HolidayRule::Before ? -1 : 1, offDay);
        }
        if (occurrence.date < from || occurrence.date > to) {
            continue;
        }
        // Moves keep the order (a later date never moves before an earlier
        // one's place), so a day taken twice is the last one's.
        if (result.isEmpty() || result.last().date != occurrence.date) {
            result.append(occurrence);
        }
    }
    return result;
}

} // namespace nox
