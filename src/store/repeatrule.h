#pragma once
// Repeat rules: a schedule kept once in "repeat.nox" of the data folder that
// shows on every date its rule gives. The day files stay as they are (older
// versions and other programs keep reading them): an occurrence is never
// written into a day file, except when the user changes that one occurrence
// by itself (see RuleRef below).
//
// "repeat.nox": text, one rule per line, each line ended by CR LF; lines are
// decoded one by one (UTF-8, else CP932) and every line the program did not
// change is written back as the bytes it had (core/textfile.h). A line is
// these fields joined by single tabs:
//
//   index  field           written as                          read as
//   0      ID              decimal, kRuleIdFirst..kRuleIdLast  required, in that range
//   1      First date      yyyyMMdd                            required, a real date
//   2      Rule            RFC 5545 RRULE value (below)        required, supported parts only
//   3      Holiday rule    none | skip | before | after        required
//   4      Excepted dates  yyyyMMdd joined by ","              may be empty; each a real date
//   5..17  Schedule        the 13 fields of a day-file line    as a day-file line (store/skedrec.h);
//                          (store/skedrec.h), its ID = field 0 its ID field must equal field 0
//   18..   later fields    kept verbatim                       kept verbatim
//
// Rule IDs live in a range of their own: a schedule ID made by the program
// is the creation time "hhnnss" + milliseconds (at most 235959999, below
// 10^9), a rule ID is 10^9 or more, so no rule ID equals the ID of a
// schedule the program wrote into a day file.
//
// Rule parts supported: FREQ=DAILY|WEEKLY|MONTHLY|YEARLY, INTERVAL, COUNT,
// UNTIL (a date, or a date-time of which the date counts), BYDAY (with
// ordinals such as 2TU and -1FR for MONTHLY and YEARLY), BYMONTHDAY (-1 =
// the last day), BYMONTH, BYSETPOS, WKST. Any other part is refused with a
// message; a line holding one is no rule, is kept unchanged and reported.
// A rule that can never give a date (the 31st of February) is refused too.
//
// Holiday rule: an occurrence that falls on a Saturday, a Sunday or a date
// of the holiday list is kept (none), dropped (skip), or moved to the
// nearest earlier (before) or later (after) day that is none of these.
// COUNT counts the dates the rule gives before excepted dates are removed
// and before the holiday rule moves or drops them.
//
// Blank lines are ignored and written back; a line that is no rule is kept
// byte for byte and reported once when the file is read.
#include <QDate>
#include <QList>
#include <QString>
#include <optional>

#include "store/skedrec.h"

namespace nox
{

constexpr qint32 kRuleIdFirst = 1000000000;
constexpr qint32 kRuleIdLast = 2147483647;
constexpr int kRepeatFieldCount = 5;    // fields before the schedule's
constexpr int kRuleCountLimit = 100000; // the largest COUNT taken
constexpr int kRuleIntervalLimit = 1000;
inline constexpr char kRepeatFileName[] = "repeat.nox";

inline bool isRuleId(qint32 id)
{
    return id >= kRuleIdFirst;
}

enum class HolidayRule { None, Skip, Before, After };
QString holidayRuleName(HolidayRule rule);
std::optional<HolidayRule> holidayRuleOf(const QString& name);

enum class RuleFreq { Daily, Weekly, Monthly, Yearly };

// A weekday of BYDAY: 1 = Monday .. 7 = Sunday, with its ordinal (0: every
// one; 2: the second of the month or year; -1: the last).
struct RuleDay {
    int weekday = 1;
    int ordinal = 0;
    friend bool operator==(const RuleDay&, const RuleDay&) = default;
};

// An RRULE value taken apart.
struct RRule {
    RuleFreq freq = RuleFreq::Daily;
    int interval = 1;
    int count = 0; // 0: none
    QDate until;   // invalid: none
    QList<RuleDay> byDay;
    QList<int> byMonthDay;
    QList<int> byMonth;
    QList<int> bySetPos;
    int weekStart = 1; // 1 = Monday .. 7 = Sunday
};

struct RRuleCheck {
    bool ok = false;
    QString message; // why the rule is refused (Japanese, for the user)
    RRule rule;
};
// Takes an RRULE value apart ("FREQ=MONTHLY;BYDAY=2TU", an "RRULE:" in
// front allowed) and checks it for a rule that begins on `first`: supported
// parts only, each once, values in range, and at least one date ever.
RRuleCheck checkRRule(const QString& text, const QDate& first);

struct RepeatRule {
    qint32 id = 0;
    QDate first;
    QString rrule; // as written in the file
    HolidayRule holiday = HolidayRule::None;
    QList<QDate> excepted; // ascending, each once
    TSkedRec sked;         // ID = id, Date = first
    QString laterFields;   // fields past the schedule's, tab-joined, kept verbatim

    friend bool operator==(const RepeatRule&, const RepeatRule&) = default;
};

// The line of a rule (no line end).
QString formatRepeatLine(const RepeatRule& rule);
struct RepeatLineResult {
    bool ok = false;
    QString reason; // why the line is no rule (Japanese); empty when ok
    RRule parsed;   // the rule taken apart, when ok
};
// Reads a line of "repeat.nox" into *rule (left unchanged on failure).
RepeatLineResult parseRepeatLine(const QString& line, RepeatRule* rule);

// A line of "repeat.nox" that is no rule.
struct RepeatProblem {
    int lineNumber = 0; // 1-based
    QString reason;
    QString line;
};

// A day-file schedule made from one occurrence that the user changed by
// itself remembers the rule and the date it stood for, as a field of its
// own after the 13 of the line ("R<rule ID>:yyyyMMdd"): older versions keep
// it as a later field, and the book never shows that rule's occurrence of
// that date beside it.
struct RuleRef {
    qint32 ruleId = 0;
    QDate date;
};
std::optional<RuleRef> ruleRefOf(const TSkedRec& rec);
void setRuleRef(TSkedRec* rec, const RuleRef& ref);

// The rule's filter of days: true when its BY parts (and what it takes from
// the first date where they leave something open: the weekday of a weekly
// rule, the day of a monthly one, the month and day of a yearly one) let
// `d` through. BYSETPOS is not looked at.
bool ruleDayFits(const RRule& rule, const QDate& d, const QDate& first);
// The first day of the rule's period (day, week from WKST, month, year)
// that holds `d`, and the period `steps` periods after the one at `start`.
QDate rulePeriodStart(const RRule& rule, const QDate& d);
QDate ruleNextPeriod(const RRule& rule, const QDate& start, int steps);

// "毎月第2火曜日、2027年3月31日まで": the rule in words.
QString describeRule(const RRule& rule, const QDate& first, HolidayRule holiday = HolidayRule::None);

} // namespace nox
