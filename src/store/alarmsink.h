#pragma once
// What the schedule book tells the alarm list after it has changed a day
// file. The store does not know the alarm list itself: the alarm centre of
// the program and noxtool's alarm-file writer implement this interface.
#include <QList>

#include "store/bookresult.h"
#include "store/skedrec.h"

namespace nox
{

class ScheduleBook;

// How the alarm entries of one schedule follow a change of it.
enum TAlarmUpdateMode {
    amStoredAgain = 0, // moved, copied, pasted, span changed: withdraw, then enter
    amNew = 1,         // new schedule: enter only
    amEdited = 2,      // edited: withdraw, then enter
    amRemoved = 3,     // removed: withdraw only
};

struct TAlarmUpdate {
    TSkedRec rec;
    TAlarmUpdateMode mode = amStoredAgain;
    friend bool operator==(const TAlarmUpdate&, const TAlarmUpdate&) = default;
};

class ScheduleAlarmSink
{
public:
    virtual ~ScheduleAlarmSink() = default;
    // Applies the updates in order. Called only after the day files are
    // written. A sink that keeps the alarms in a file reports a failure to
    // write it (status Failed, the file and the system's reason).
    virtual BookResult UpdateScheduleAlarms(const QList<TAlarmUpdate>& updates) = 0;
    // Renews the entries of the repeat rules' occurrences from the book
    // (all of them, after a rule changed). The default keeps no alarms of
    // occurrences.
    virtual BookResult RenewRuleAlarms(const ScheduleBook& book)
    {
        static_cast<void>(book);
        return BookResult::success({});
    }
};

} // namespace nox
