#include "alarm/alarmfilesink.h"

#include <algorithm>

#include "alarm/alarmfile.h"
#include "alarm/alarmlist.h"
#include "alarm/rulealarms.h"

namespace nox
{

AlarmFileSink::AlarmFileSink(QString dataFolder) : m_folder(std::move(dataFolder)) {}

BookResult AlarmFileSink::UpdateScheduleAlarms(const QList<TAlarmUpdate>& updates)
{
    const bool changesSomething = std::any_of(updates.cbegin(), updates.cend(), [](const TAlarmUpdate& u) {
        return u.mode != amNew || u.rec.AlarmMinutes >= 0;
    });
    if (!changesSomething) {
        return BookResult::success({});
    }
    const QString path = alarmFilePath(m_folder);
    AlarmList list;
    const AlarmLoadResult loaded = LoadAlarmList(list, m_folder);
    if (!loaded.ok()) {
        return Status::failed(path, loaded.message());
    }
    for (const TAlarmUpdate& update : updates) {
        nox::UpdateScheduleAlarms(list, update.rec, update.mode);
    }
    return SaveAlarmList(list, m_folder, clock ? clock() : QDateTime::currentDateTime());
}

BookResult AlarmFileSink::RenewRuleAlarms(const ScheduleBook& book)
{
    const QString path = alarmFilePath(m_folder);
    AlarmList list;
    const AlarmLoadResult loaded = LoadAlarmList(list, m_folder);
    if (!loaded.ok()) {
        return Status::failed(path, loaded.message());
    }
    const QDateTime now = clock ? clock() : QDateTime::currentDateTime();
    renewRuleAlarms(list, book, now.date());
    return SaveAlarmList(list, m_folder, now);
}

} // namespace nox
