#include "alarm/alarmcheck.h"

#include "core/datetime.h"
#include "store/dayfile.h"

namespace nox
{

namespace
{

// How many days after its key's date a reminder's schedule is looked for.
// The editor offers leads of at most six hours; hand-written files may hold
// more.
constexpr int kReminderSearchDays = 7;

std::optional<TSkedRec> findReminderAhead(const QString& dataFolder, const QDate& keyDate, const QString& key,
                                          qint32 id)
{
    for (int ahead = 1; ahead <= kReminderSearchDays; ++ahead) {
        const QDate day = keyDate.addDays(ahead);
        const TDayLoadResult loaded = loadDay(dataFolder, day);
        for (const TSkedRec& rec : loaded.records) {
            if (rec.ID == id && rec.AlarmMinutes > 0 &&
                alarmKeyBefore(day, rec.StartTime, rec.AlarmMinutes) == key) {
                return rec;
            }
        }
    }
    return std::nullopt;
}

QString signalTimeText(const QTime& t)
{
    return QStringLiteral("%1:%2").arg(t.hour()).arg(t.minute(), 2, 10, QLatin1Char('0'));
}

} // namespace

std::optional<TSkedRec> findAlarmSchedule(const QString& dataFolder, const QString& key, const TAlarmRec& rec)
{
    const QDateTime moment = alarmKeyDateTime(key);
    if (!moment.isValid()) {
        return std::nullopt;
    }
    if (auto found = findSkedById(dataFolder, moment.date(), rec.ID)) {
        return found;
    }
    if (rec.Kind == akStart) {
        return std::nullopt;
    }
    return findReminderAhead(dataFolder, moment.date(), key, rec.ID);
}

QString alarmMessageText(const TSkedRec& rec)
{
    return skedTimeText(rec.StartTime) + u'-' + skedTimeText(rec.EndTime) + QStringLiteral("\r\n") +
           unescapeSkedText(rec.Text);
}

std::optional<PopupRequest> alarmPopupRequest(const QString& dataFolder, const QString& key,
                                              const TAlarmRec& rec, const QString& sound)
{
    std::optional<TSkedRec> sked = findAlarmSchedule(dataFolder, key, rec);
    if (!sked) {
        return std::nullopt;
    }
    PopupRequest request;
    request.message = alarmMessageText(*sked);
    request.sound = sound;
    // Only the alarm at the start minute opens the related information, not
    // an advance reminder.
    if (sked->OpenRelatedInfo && skedSortableStart(*sked) == key) {
        request.relatedInfoTarget = unescapeSkedText(sked->RelatedInfo);
    }
    request.record = std::move(sked);
    return request;
}

QList<AlarmList::Entry> takeDueAlarms(AlarmList& list, const QString& nowKey)
{
    const int last = list.lastIndexOf(nowKey);
    if (last < 0) {
        return {};
    }
    QList<AlarmList::Entry> due;
    for (const AlarmList::Entry& e : list.takeFirst(last + 1)) {
        if (e.key == nowKey) {
            due.append(e);
        }
    }
    return due;
}

QList<PopupRequest> timeSignalsAt(const AlarmSettings& settings, const QDateTime& now)
{
    const QDateTime whole = now.addMSecs(-now.time().msec());
    const int minute = whole.time().minute();
    const QString t = signalTimeText(whole.time());
    const QString heading = formatDateTime(settings.popupFormat, whole) + QStringLiteral("\r\n\r\n");

    QList<PopupRequest> requests;
    auto signal = [&](const QString& msg) {
        requests.append(PopupRequest{heading + msg, settings.bellSound, {}, {}});
    };
    if (settings.bell60 && minute == 0) {
        signal(settings.msg60);
    }
    if (settings.bell30 && minute == 30) {
        signal(settings.msg30);
    }
    for (int i = 0; i < 3; ++i) {
        if (settings.bell[i] && settings.time[i] == t) {
            signal(settings.msg[i]);
        }
    }
    return requests;
}

void examineMinute(AlarmList& list, const AlarmSettings& settings, const QDateTime& now,
                   const QString& dataFolder, const PopupCallback& popup)
{
    QList<PopupRequest> requests;
    if (settings.alarmEnable) {
        for (const AlarmList::Entry& e : takeDueAlarms(list, AlarmKey(now))) {
            if (auto request = alarmPopupRequest(dataFolder, e.key, e.rec, settings.alarmSound)) {
                requests.append(std::move(*request));
            }
        }
    }
    if (settings.bellEnable) {
        requests.append(timeSignalsAt(settings, now));
    }
    if (popup) {
        for (const PopupRequest& r : requests) {
            popup(r);
        }
    }
}

} // namespace nox
