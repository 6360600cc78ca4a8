#include "alarm/rulealarms.h"

#include <QList>

#include "store/repeatrule.h"
#include "store/schedulebook.h"

namespace nox
{

void renewRuleAlarms(AlarmList& list, const ScheduleBook& book, const QDate& today)
{
    QList<qint32> ruleIds;
    for (const AlarmList::Entry& entry : list.entries()) {
        if (isRuleId(entry.rec.ID) && !ruleIds.contains(entry.rec.ID)) {
            ruleIds.append(entry.rec.ID);
        }
    }
    for (qint32 id : ruleIds) {
        list.removeId(id);
    }
    for (const TSkedRec& rec : book.occurrences(today.addDays(-1), today.addDays(kRuleAlarmDays))) {
        if (rec.AlarmMinutes >= 0) {
            UpdateScheduleAlarms(list, rec, amNew);
        }
    }
}

} // namespace nox
