#pragma once
// The dates of a repeat rule (store/repeatrule.h), computed with libical's
// recurrence iterator. An expansion starts at the range asked for, not at
// the rule's first date (a daily rule begun twenty years ago costs no more
// than one begun last week); only a rule with COUNT is walked from its first
// date, as its count must be, and that walk is bounded by the count. Every
// walk is also bounded by kExpandLimit dates: a rule that would need more
// ends there with a notice rather than hang.
//
// Dates are plain dates (no time of day, no time zone): a change of the
// local zone's offset never moves an occurrence.
#include <QDate>
#include <QList>
#include <QString>
#include <functional>

#include "store/repeatrule.h"

namespace nox
{

constexpr int kExpandLimit = 200000;

struct RuleDates {
    QList<QDate> dates; // ascending, each once
    QString notice;     // set when the walk was cut short (for the user)
};

// The dates `rrule` (checked by checkRRule for `first`) gives in from..to
// (both included), COUNT counted from `first`; no excepted dates removed,
// no holiday rule applied. Rules whose dates are plain arithmetic (DAILY
// with no BY part, WEEKLY with whole weekdays only) are counted out here:
// libical's iterator works through a general calendar and costs some
// microseconds a date. Every other rule goes to libical.
RuleDates expandRRule(const QString& rrule, const QDate& first, const QDate& from, const QDate& to);

enum class ExpandWay {
    Best,           // as expandRRule
    Libical,        // libical, jumping to the range
    LibicalWalking, // libical, walked from the first date (no jump)
};
// expandRRule by a way of choice (the tests compare them).
RuleDates expandRRuleBy(ExpandWay way, const QString& rrule, const QDate& first, const QDate& from,
                        const QDate& to);

struct Occurrence {
    QDate ruleDate; // the date the rule gives
    QDate date;     // where it stands after the holiday rule
    friend bool operator==(const Occurrence&, const Occurrence&) = default;
};

// True for a day a holiday rule moves an occurrence away from (a Saturday,
// a Sunday or a holiday of the list).
using OffDayTest = std::function<bool(const QDate&)>;

// A holiday rule moves an occurrence at most this many days.
constexpr int kHolidayMoveLimit = 31;

// The occurrences of the rule that stand in from..to: the rule's dates
// without the excepted ones, then moved or dropped by the holiday rule (an
// occurrence moved into the range from outside it counts; one that finds
// no working day within kHolidayMoveLimit days stays). Two occurrences
// moved onto one day are one. In date order.
QList<Occurrence> ruleOccurrences(const RepeatRule& rule, const QDate& from, const QDate& to,
                                  const OffDayTest& offDay, QString* notice = nullptr);

// The same for the rule's dates as expandRRule gave them (at least for the
// range widened by kHolidayMoveLimit + 1 days on either side when the rule
// moves occurrences).
QList<Occurrence> occurrencesOf(const RepeatRule& rule, const QList<QDate>& dates, const QDate& from,
                                const QDate& to, const OffDayTest& offDay);
// The range expandRRule must cover for occurrencesOf of from..to.
QDate expansionStart(const RepeatRule& rule, const QDate& from);
QDate expansionEnd(const RepeatRule& rule, const QDate& to);

} // namespace nox
