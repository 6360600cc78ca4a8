#pragma once
// The schedule book's alarm sink for programs that do not keep the alarm
// list in memory (noxtool): each batch of updates reads "alarm.nox", applies
// the updates and writes the file back at once.
#include <QDateTime>
#include <QString>
#include <functional>

#include "store/alarmsink.h"

namespace nox
{

class AlarmFileSink : public ScheduleAlarmSink
{
public:
    explicit AlarmFileSink(QString dataFolder);

    // The local time (entries of earlier minutes are not written back);
    // QDateTime::currentDateTime when unset.
    std::function<QDateTime()> clock;

    // Updates that enter and withdraw nothing (a new schedule without an
    // alarm) leave the file alone. Failed when the file cannot be read or
    // written; it then keeps what it held.
    BookResult UpdateScheduleAlarms(const QList<TAlarmUpdate>& updates) override;
    // Reads "alarm.nox", renews the occurrences' entries (alarm/rulealarms.h)
    // and writes it back.
    BookResult RenewRuleAlarms(const ScheduleBook& book) override;

private:
    QString m_folder;
};

} // namespace nox
