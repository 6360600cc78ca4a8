#include "alarm/alarmcenter.h"

#include <utility>

#include "alarm/rulealarms.h"
#include "store/schedulebook.h"

namespace nox
{

AlarmCenter::AlarmCenter(QString dataFolder) : m_dataFolder(std::move(dataFolder)) {}

AlarmCenter::~AlarmCenter() = default;

void AlarmCenter::setDataFolder(const QString& folder)
{
    if (folder != m_dataFolder) {
        m_ownBook.reset();
    }
    m_dataFolder = folder;
}

const ScheduleBook& AlarmCenter::book()
{
    if (m_book) {
        return *m_book;
    }
    if (!m_ownBook) {
        m_ownBook = std::make_unique<ScheduleBook>(m_dataFolder, nullptr);
    }
    return *m_ownBook;
}

QDateTime AlarmCenter::now() const
{
    return clock ? clock() : QDateTime::currentDateTime();
}

Status AlarmCenter::SaveAlarmList() const
{
    return nox::SaveAlarmList(m_list, m_dataFolder, now());
}

BookResult AlarmCenter::UpdateScheduleAlarms(const QList<TAlarmUpdate>& updates)
{
    for (const TAlarmUpdate& update : updates) {
        nox::UpdateScheduleAlarms(m_list, update.rec, update.mode);
    }
    if (m_writeThrough) {
        if (const Status saved = SaveAlarmList(); !saved) {
            return Status::failed(alarmFilePath(m_dataFolder), saved.message());
        }
    }
    return BookResult::success({});
}

AlarmLoadResult AlarmCenter::LoadAlarmList()
{
    const AlarmLoadResult loaded = nox::LoadAlarmList(m_list, m_dataFolder);
    if (loaded.ok()) {
        m_rulesRenewedOn = now().date();
        renewRuleAlarms(m_list, book(), m_rulesRenewedOn);
    }
    return loaded;
}

BookResult AlarmCenter::RenewRuleAlarms(const ScheduleBook& book)
{
    m_rulesRenewedOn = now().date();
    renewRuleAlarms(m_list, book, m_rulesRenewedOn);
    if (m_writeThrough) {
        if (const Status saved = SaveAlarmList(); !saved) {
            return Status::failed(alarmFilePath(m_dataFolder), saved.message());
        }
    }
    return BookResult::success({});
}

std::function<void(qint32 id)> AlarmCenter::alarmWithdrawer()
{
    return [this](qint32 id) { withdrawAlarms(id); };
}

void AlarmCenter::CheckAlarmsAndSignals()
{
    if (!m_settings.alarmEnable && !m_settings.bellEnable) {
        m_lastExamined = {};
        return;
    }
    const QDateTime moment = now();
    const QDateTime minute(moment.date(), QTime(moment.time().hour(), moment.time().minute()));
    QDateTime first = minute;
    if (m_lastExamined.isValid()) {
        const qint64 sinceLast = m_lastExamined.secsTo(minute);
        if (sinceLast == 0 || sinceLast == -60) {
            return; // examined already, or the clock stepped back a little
        }
        if (sinceLast > 0) {
            first = qMax(m_lastExamined.addSecs(60), minute.addSecs(-(kCatchUpMinutes - 1) * 60));
        }
    }
    m_lastExamined = minute;
    if (m_rulesRenewedOn.isValid() && m_rulesRenewedOn != minute.date()) {
        m_rulesRenewedOn = minute.date();
        renewRuleAlarms(m_list, book(), m_rulesRenewedOn);
    }
    examineMinutes(m_list, m_settings, first, moment, book(), ShowPopupMessage, OnReadProblem);
}

bool AlarmCenter::ShowAlarmMessage(const QString& key, const TAlarmRec& rec)
{
    std::optional<PopupRequest> request =
        alarmPopupRequest(book(), key, rec, m_settings.alarmSound, OnReadProblem);
    if (!request) {
        return false;
    }
    if (ShowPopupMessage) {
        ShowPopupMessage(*request);
    }
    return true;
}

} // namespace nox
