#include "alarm/alarmcenter.h"

#include <utility>

namespace nox
{

AlarmCenter::AlarmCenter(QString dataFolder) : m_dataFolder(std::move(dataFolder)) {}

QDateTime AlarmCenter::now() const
{
    return clock ? clock() : QDateTime::currentDateTime();
}

bool AlarmCenter::SaveAlarmList(QString* error) const
{
    return nox::SaveAlarmList(m_list, m_dataFolder, now(), error);
}

BookResult AlarmCenter::UpdateScheduleAlarms(const QList<TAlarmUpdate>& updates)
{
    for (const TAlarmUpdate& update : updates) {
        nox::UpdateScheduleAlarms(m_list, update.rec, update.mode);
    }
    QString error;
    if (m_writeThrough && !SaveAlarmList(&error)) {
        return BookResult::failed(alarmFilePath(m_dataFolder), error);
    }
    return BookResult{};
}

std::function<void(qint32 id)> AlarmCenter::alarmWithdrawer()
{
    return [this](qint32 id) { withdrawAlarms(id); };
}

void AlarmCenter::CheckAlarmsAndSignals()
{
    if (!m_settings.alarmEnable && !m_settings.bellEnable) {
        return;
    }
    const QDateTime moment = now();
    const QString key = AlarmKey(moment);
    // A 1 s timer can skip a second or beat twice within one; without the
    // memory of the examined minute an alarm would be lost or a time signal
    // doubled.
    if (moment.time().second() >= kCatchUpSeconds || key == m_lastExaminedKey) {
        return;
    }
    m_lastExaminedKey = key;
    examineMinute(m_list, m_settings, moment, m_dataFolder, ShowPopupMessage);
}

bool AlarmCenter::ShowAlarmMessage(const QString& key, const TAlarmRec& rec)
{
    std::optional<PopupRequest> request = alarmPopupRequest(m_dataFolder, key, rec, m_settings.alarmSound);
    if (!request) {
        return false;
    }
    if (ShowPopupMessage) {
        ShowPopupMessage(*request);
    }
    return true;
}

} // namespace nox
