#pragma once
// The process's one alarm list together with what drives it: the data
// folder, the alarm settings, the clock and the receiver of popup requests.
// The main window owns one, loads it during its deferred start-up, calls
// CheckAlarmsAndSignals at every timer beat and saves it when it goes. As
// the schedule book's alarm sink it follows every change of a day file.
#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

#include "alarm/alarmcheck.h"
#include "alarm/alarmfile.h"
#include "alarm/alarmlist.h"
#include "store/alarmsink.h"

namespace nox
{

class ScheduleBook;

class AlarmCenter : public ScheduleAlarmSink
{
public:
    explicit AlarmCenter(QString dataFolder = {});
    ~AlarmCenter() override;

    const QString& dataFolder() const { return m_dataFolder; }
    void setDataFolder(const QString& folder);
    // The book the checks look the schedules up in (not owned; it must
    // outlive the centre or be unset first). Unset, a book of the data
    // folder that only reads is made at the first lookup.
    void setBook(const ScheduleBook* book) { m_book = book; }

    AlarmList& list() { return m_list; }
    const AlarmList& list() const { return m_list; }

    const AlarmSettings& settings() const { return m_settings; }
    void setSettings(const AlarmSettings& settings) { m_settings = settings; }

    // The local time; QDateTime::currentDateTime unless set (tests set it).
    std::function<QDateTime()> clock;
    // Receives every popup the checks open, in order. Not called when unset.
    std::function<void(const PopupRequest&)> ShowPopupMessage;
    // Receives every day file that could not be read while the schedule of a
    // firing alarm was looked up. Not called when unset.
    ReadProblemCallback OnReadProblem;

    // Loads "alarm.nox", then renews the entries of the repeat rules'
    // occurrences (alarm/rulealarms.h); they are renewed again at the first
    // check of each new day.
    AlarmLoadResult LoadAlarmList();
    // Entries of minutes before the clock's minute are not written.
    Status SaveAlarmList() const;

    bool UpdateScheduleAlarms(const TSkedRec& rec, int mode)
    {
        return nox::UpdateScheduleAlarms(m_list, rec, mode);
    }
    // Without write-through the list lives in memory until SaveAlarmList and
    // this never fails; with it "alarm.nox" is written at once and a failure
    // to write it is returned (the list in memory is changed all the same).
    BookResult UpdateScheduleAlarms(const QList<TAlarmUpdate>& updates) override;
    BookResult RenewRuleAlarms(const ScheduleBook& book) override;
    // The main window writes the alarm file at every change of a schedule.
    void setWriteThrough(bool on) { m_writeThrough = on; }
    // Mode 3 for one ID: what deleting a schedule line does to its alarms.
    void withdrawAlarms(qint32 id) { m_list.removeId(id); }
    // withdrawAlarms as a callable for deleteSkedById (store/dayfile.h). The
    // centre must outlive the callable.
    std::function<void(qint32 id)> alarmWithdrawer();

    // Runs once per timer beat. Each minute is examined once, at the first
    // beat that falls into it or later: after a stall or a suspend every
    // minute since the last examined one is examined (at most the last
    // kCatchUpMinutes), alarms more than a minute late fire together in one
    // late popup, and missed time signals are not replayed. The first beat
    // examines only its own minute; so does a beat after the clock was set
    // back by more than a minute (a smaller step back waits for the clock to
    // pass the last examined minute, so that nothing fires twice). Does
    // nothing while both alarms and time signals are switched off, and then
    // starts afresh.
    void CheckAlarmsAndSignals();
    static constexpr int kCatchUpMinutes = 24 * 60;

    // Looks the schedule of an entry with key `key` up and asks for its popup
    // (alarmPopupRequest); returns false when nothing is shown.
    bool ShowAlarmMessage(const QString& key, const TAlarmRec& rec);

private:
    QDateTime now() const;
    const ScheduleBook& book();

    QString m_dataFolder;
    const ScheduleBook* m_book = nullptr;
    std::unique_ptr<ScheduleBook> m_ownBook; // when no book is set
    AlarmList m_list;
    AlarmSettings m_settings;
    bool m_writeThrough = false;
    QDateTime m_lastExamined; // its minute, seconds cut off
    QDate m_rulesRenewedOn;   // the day the occurrences' alarms were last renewed for
};

} // namespace nox
