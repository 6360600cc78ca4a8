#include "alarm/alarmcheck.h"

#include <QFileInfo>

#include "core/datetime.h"
#include "store/schedulebook.h"

namespace nox
{

namespace
{

// How many days after its key's date a reminder's schedule is looked for.
// The editor offers leads of at most six hours; hand-written files may hold
// more.
constexpr int kReminderSearchDays = 7;

void findReminderAhead(const ScheduleBook& book, const QDate& keyDate, const QString& key, qint32 id,
                       AlarmLookup& found)
{
    for (int ahead = 1; ahead <= kReminderSearchDays; ++ahead) {
        const QDate day = keyDate.addDays(ahead);
        const BookDay loaded = book.look(day);
        if (!loaded.result.ok()) {
            found.unreadable.append(loaded.result);
            continue;
        }
        for (const TSkedRec& rec : loaded.records) {
            if (rec.ID == id && rec.AlarmMinutes > 0 &&
                alarmKeyBefore(day, rec.StartTime, rec.AlarmMinutes) == key) {
                found.record = rec;
                return;
            }
        }
    }
}

// The popup of an alarm whose schedule could not be read: its minute and the
// file (by name: the popup is small; the read notice gives the whole path
// and the reason), so that the alarm is not lost without a word.
PopupRequest unreadablePopupRequest(const QString& key, const BookResult& unreadable, const QString& sound)
{
    const QTime due = alarmKeyDateTime(key).time();
    PopupRequest request;
    request.message = QStringLiteral("%1:%2 の通知\r\n予定のファイル「%3」を読めないため、内容を表示できません。")
                          .arg(due.hour())
                          .arg(due.minute(), 2, 10, QLatin1Char('0'))
                          .arg(QFileInfo(unreadable.file()).fileName());
    request.sound = sound;
    return request;
}

QString signalTimeText(const QTime& t)
{
    return QStringLiteral("%1:%2").arg(t.hour()).arg(t.minute(), 2, 10, QLatin1Char('0'));
}

} // namespace

AlarmLookup findAlarmSchedule(const ScheduleBook& book, const QString& key, const TAlarmRec& rec)
{
    AlarmLookup found;
    const QDateTime moment = alarmKeyDateTime(key);
    if (!moment.isValid()) {
        return found;
    }
    const BookResult own = book.lookUp(moment.date(), rec.ID);
    if (own.ok()) {
        found.record = own->record;
        return found;
    }
    if (own.code() == BookStatus::Failed) {
        found.unreadable.append(own);
    }
    if (rec.Kind != akStart) {
        findReminderAhead(book, moment.date(), key, rec.ID, found);
    }
    return found;
}

QString alarmMessageText(const TSkedRec& rec)
{
    return skedTimeText(rec.StartTime) + u'-' + skedTimeText(rec.EndTime) + QStringLiteral("\r\n") +
           unescapeSkedText(rec.Text);
}

std::optional<PopupRequest> alarmPopupRequest(const ScheduleBook& book, const QString& key,
                                              const TAlarmRec& rec, const QString& sound,
                                              const ReadProblemCallback& readProblem)
{
    AlarmLookup found = findAlarmSchedule(book, key, rec);
    if (readProblem) {
        for (const BookResult& unreadable : found.unreadable) {
            readProblem(unreadable);
        }
    }
    std::optional<TSkedRec>& sked = found.record;
    if (!sked) {
        if (!found.unreadable.isEmpty()) {
            return unreadablePopupRequest(key, found.unreadable.first(), sound);
        }
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

QList<AlarmList::Entry> takeDueAlarms(AlarmList& list, const QString& firstKey, const QString& lastKey)
{
    const QList<AlarmList::Entry>& entries = list.entries();
    // Keys are fixed-width digits: text order is time order.
    int last = -1;
    for (int i = 0; i < entries.size() && entries[i].key <= lastKey; ++i) {
        if (entries[i].key >= firstKey) {
            last = i;
        }
    }
    if (last < 0) {
        return {};
    }
    QList<AlarmList::Entry> due;
    for (const AlarmList::Entry& e : list.takeFirst(last + 1)) {
        if (e.key >= firstKey) {
            due.append(e);
        }
    }
    return due;
}

namespace
{

// "12/7 9:25", the minute an alarm was due.
QString dueMinuteText(const QString& key)
{
    const QDateTime due = alarmKeyDateTime(key);
    return QStringLiteral("%1/%2 %3:%4")
        .arg(due.date().month())
        .arg(due.date().day())
        .arg(due.time().hour())
        .arg(due.time().minute(), 2, 10, QLatin1Char('0'));
}

// The popup text of an alarm on one line.
QString oneLine(const QString& message)
{
    QString s = message;
    return s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

} // namespace

PopupRequest latePopupRequest(const QList<std::pair<QString, PopupRequest>>& late, const QString& sound)
{
    PopupRequest request;
    request.sound = sound;
    request.late = true;
    request.lateCount = int(late.size());
    if (late.size() == 1) {
        const auto& [key, alarm] = late.first();
        request.message =
            QStringLiteral("%1 の通知 (遅れて表示)\r\n").arg(dueMinuteText(key)) + alarm.message;
        request.record = alarm.record;
        return request;
    }
    QStringList lines{QStringLiteral("遅れて表示する通知 %1 件").arg(late.size())};
    for (qsizetype i = 0; i < late.size() && i < kLateListLimit; ++i) {
        lines << QStringLiteral("%1  %2").arg(dueMinuteText(late[i].first), oneLine(late[i].second.message));
    }
    if (late.size() > kLateListLimit) {
        lines << QStringLiteral("ほか %1 件").arg(late.size() - kLateListLimit);
    }
    request.message = lines.join(QStringLiteral("\r\n"));
    return request;
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
                   const ScheduleBook& book, const PopupCallback& popup,
                   const ReadProblemCallback& readProblem)
{
    examineMinutes(list, settings, now, now, book, popup, readProblem);
}

void examineMinutes(AlarmList& list, const AlarmSettings& settings, const QDateTime& first,
                    const QDateTime& now, const ScheduleBook& book, const PopupCallback& popup,
                    const ReadProblemCallback& readProblem)
{
    QList<PopupRequest> requests;
    if (settings.alarmEnable) {
        QList<std::pair<QString, PopupRequest>> late;
        for (const AlarmList::Entry& e : takeDueAlarms(list, AlarmKey(first), AlarmKey(now))) {
            std::optional<PopupRequest> request =
                alarmPopupRequest(book, e.key, e.rec, settings.alarmSound, readProblem);
            if (!request) {
                continue;
            }
            if (alarmKeyDateTime(e.key).msecsTo(now) > kLateAlarmMs) {
                request->relatedInfoTarget.clear(); // opening it now would come out of the blue
                late.append({e.key, std::move(*request)});
            } else {
                requests.append(std::move(*request));
            }
        }
        if (!late.isEmpty()) {
            requests.prepend(latePopupRequest(late, settings.alarmSound));
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
