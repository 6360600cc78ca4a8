#pragma once
// The work of one examined minute: schedule alarms that fall due and time
// signals. Nothing here reads the clock or the settings file; the caller
// passes the moment and the settings, and receives popup requests.
#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "alarm/alarmlist.h"
#include "alarm/alarmsettings.h"
#include "store/bookresult.h"
#include "store/skedrec.h"

namespace nox
{

// What the popup message window is asked to show.
struct PopupRequest {
    QString message;
    QString sound;                  // "alarm"/"sound" or "bell"/"sound"
    std::optional<TSkedRec> record; // the schedule of an alarm; none for a time signal
    // Unescaped RelatedInfo when it is to be opened once the popup has grown:
    // the start alarm of a schedule with OpenRelatedInfo set. Empty otherwise.
    QString relatedInfoTarget;
    // Alarms shown more than a minute after their minute (the machine slept
    // or stalled): the message says so, and several of them share one popup.
    bool late = false;
    int lateCount = 0; // alarms listed in a late popup
};
using PopupCallback = std::function<void(const PopupRequest&)>;
// Receives a day file that could not be read while an alarm's schedule was
// looked up (the result's message names the file and the reason).
using ReadProblemCallback = std::function<void(const BookResult&)>;

class ScheduleBook;

struct AlarmLookup {
    std::optional<TSkedRec> record; // none when not found
    QList<BookResult> unreadable;   // day files looked in that could not be read
};

// The schedule an alarm entry with key `key` belongs to, looked up through
// the schedule book. It is looked up by ID in the day of the key's date; an
// entry that is not a start alarm (a reminder that fell on an earlier day,
// such as 30 minutes before 0:00) is also looked up in the following days,
// where it must be the schedule whose start minus AlarmMinutes is the key's
// minute. Lines that do not parse are passed over.
AlarmLookup findAlarmSchedule(const ScheduleBook& book, const QString& key, const TAlarmRec& rec);

// The popup text of a schedule: "9:30-10:00", CR LF, the unescaped Text.
QString alarmMessageText(const TSkedRec& rec);

// The popup request of an alarm entry that fires, or none when its schedule
// is not found (the entry is consumed all the same). A day file that could
// not be read is handed to `readProblem`; when the schedule was not found
// elsewhere the alarm still pops up, with its minute and the file it could
// not read, rather than pass in silence.
std::optional<PopupRequest> alarmPopupRequest(const ScheduleBook& book, const QString& key,
                                              const TAlarmRec& rec, const QString& sound,
                                              const ReadProblemCallback& readProblem = {});

// Removes the entries due at minute `nowKey`: when at least one entry has
// exactly this key, every entry up to the last of them is removed and those
// with this key are returned in list order; otherwise nothing changes.
QList<AlarmList::Entry> takeDueAlarms(AlarmList& list, const QString& nowKey);
// The same for the minutes `firstKey` .. `lastKey`: when at least one entry
// falls into them, every entry up to the last of them is removed and those
// in the range are returned in list order; entries before the range go
// without firing, as when those minutes were examined one by one.
QList<AlarmList::Entry> takeDueAlarms(AlarmList& list, const QString& firstKey, const QString& lastKey);

// An alarm later than this after its minute is shown as late.
constexpr qint64 kLateAlarmMs = 60 * 1000;
// A late popup lists at most this many alarms, then how many more there are.
constexpr int kLateListLimit = 10;

// One popup for alarms that fire late: with one alarm, its own popup with a
// first line naming the minute it was due; with several, one list of them.
PopupRequest latePopupRequest(const QList<std::pair<QString, PopupRequest>>& late, const QString& sound);

// The time-signal popups of minute `now`, in the order: full hour, half
// hour, daily signals 1..3. Each text is `now` in the popup format, two line
// breaks, then the signal's message. A daily time matches only when it equals
// the time written "H:mm" ("9:30" matches, "09:30" never does).
QList<PopupRequest> timeSignalsAt(const AlarmSettings& settings, const QDateTime& now);

// The whole work of an examined minute: due alarms (if enabled) and then
// time signals (if enabled), each request handed to `popup` in order.
void examineMinute(AlarmList& list, const AlarmSettings& settings, const QDateTime& now,
                   const ScheduleBook& book, const PopupCallback& popup,
                   const ReadProblemCallback& readProblem = {});
// The work of the minutes from `first` up to the minute of `now` (after a
// stall or a suspend): every alarm due in them fires, those more than a
// minute late together in one late popup; time signals only for the minute
// of `now` (missed ones are not replayed).
void examineMinutes(AlarmList& list, const AlarmSettings& settings, const QDateTime& first,
                    const QDateTime& now, const ScheduleBook& book, const PopupCallback& popup,
                    const ReadProblemCallback& readProblem = {});

} // namespace nox
