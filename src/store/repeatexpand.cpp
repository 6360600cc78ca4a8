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

} // namespace

RuleDates expandRRule(const QString& rrule, const QDate& first, const QDate& from, const QDate& to)
{
    RuleDates result;
    if (!first.isValid() || !from.isValid() || !to.isValid() || to < first || to < from) {
        return result;
    }
    Iterator it(rrule, first);
    if (!it.isValid()) {
        return result;
    }
    // A rule with COUNT must be counted from its first date; libical refuses
    // to jump in one.
    if (!it.hasCount() && from > first) {
        it.jumpTo(from);
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
    const RuleDates dates = expandRRule(rule.rrule, rule.first, expansionStart(rule, from), expansionEnd(rule, to));
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
