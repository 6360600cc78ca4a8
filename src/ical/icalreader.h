#pragma once
// Reading an iCalendar file into an import plan: what each event becomes
// (icalmapping.h), and every event that cannot be taken with its line and
// reason. Reading changes nothing; icalimport.h applies a plan.
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "store/repeatrule.h"
#include "store/skedrec.h"

namespace nox::ical
{

struct IcalProblem {
    int line = 0;    // of the event's BEGIN line; 0 for the file as a whole
    QString summary; // the event's SUMMARY, when it has one
    QString reason;  // Japanese, for the user
};

enum class ItemKind {
    Schedules, // day-file schedules (one event, or all occurrences of an expanded one)
    Rule,      // a repeat rule
    Override,  // one changed occurrence of the Rule item with the same UID
};

struct IcalItem {
    ItemKind kind = ItemKind::Schedules;
    QString uid;
    int line = 0;
    QString summary;
    // Schedules and Override: Date set; ID 0 unless the event came from Nox
    // (X-NOX-ID), whose ID is asked for.
    QList<TSkedRec> schedules;
    RepeatRule rule;       // Rule (rule.id: the ID asked for, 0 for none)
    QDate ruleDate;        // Override: the rule's date it stands for
    bool expanded = false; // occurrences written out (the rule could not be said)
    bool cutShort = false; // the expansion stopped at the step limit
    bool fromNox = false;
};

struct IcalPlan {
    QList<IcalItem> items; // in file order
    QList<IcalProblem> problems;
    int events = 0;    // VEVENTs taken (overrides included)
    int repeating = 0; // of them with RRULE or RDATE
    int expanded = 0;  // of those written out as occurrences
    int cancelled = 0;
    int todos = 0;
    int journals = 0;
    QStringList categories; // categories the items use, first use order
};

struct IcalReadOptions {
    QDate today;      // expansions run to kExpandYears after it
    QString category; // non-empty: every schedule takes it
};

IcalPlan readIcal(const QByteArray& bytes, const IcalReadOptions& options);

} // namespace nox::ical
