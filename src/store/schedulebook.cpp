#include "store/schedulebook.h"

#include <QMutex>

#include "core/datetime.h"
#include "core/textfile.h"

namespace nox
{

namespace
{

BookResult fromWrite(const TDayWriteResult& written, const QString& path)
{
    return written.ok ? BookResult{} : BookResult::failed(path, written.error);
}

bool hasId(const QString& line, qint32 id)
{
    return skedLineField(line, kSkedFieldId) == QString::number(id);
}

bool allBlank(const QStringList& lines)
{
    for (const QString& line : lines) {
        if (!line.trimmed().isEmpty()) {
            return false;
        }
    }
    return true;
}

// The withdrawals of `count` removed lines of schedule `id` (mode 3 needs
// only the ID).
QList<TAlarmUpdate> withdrawals(const QDate& date, qint32 id, int count)
{
    TSkedRec gone;
    gone.setDate(date);
    gone.ID = id;
    return QList<TAlarmUpdate>(count, TAlarmUpdate{gone, amRemoved});
}

// The last ID handed out in this process and the day it was handed out on.
struct IdMemory {
    QMutex lock;
    QDate day;
    qint32 last = 0;
};

IdMemory& idMemory()
{
    static IdMemory memory;
    return memory;
}

QString dayText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

} // namespace

ScheduleBook::ScheduleBook(QString dataFolder, ScheduleAlarmSink* alarms)
    : m_folder(std::move(dataFolder)), m_alarms(alarms)
{
}

QString ScheduleBook::dayFile(const QDate& date) const
{
    return dayFilePath(m_folder, date);
}

// --- reading ---------------------------------------------------------------

BookDay ScheduleBook::day(const QDate& date, const QString& categoryFilter) const
{
    TDayLoadResult loaded = loadDay(m_folder, date, categoryFilter);
    BookDay result;
    if (!loaded.ok) {
        result.result = BookResult::failed(dayFile(date), loaded.error);
        return result;
    }
    result.records = std::move(loaded.records);
    result.problems = std::move(loaded.problems);
    return result;
}

std::optional<TSkedRec> ScheduleBook::find(const QDate& date, qint32 id) const
{
    return findSkedById(m_folder, date, id);
}

QList<QDate> ScheduleBook::dates(const QDate& from, const QDate& to) const
{
    QList<QDate> all = listDayFiles(m_folder);
    all.removeIf([&](const QDate& d) { return (from.isValid() && d < from) || (to.isValid() && d > to); });
    return all;
}

BookLines ScheduleBook::lines(const QDate& date) const
{
    const QString path = dayFile(date);
    TextReadResult read = readTextLines(path);
    BookLines result;
    if (!read.ok) {
        result.result = BookResult::failed(path, read.error);
        return result;
    }
    result.lines = std::move(read.lines);
    return result;
}

// --- changing --------------------------------------------------------------

BookResult ScheduleBook::saveDay(const QDate& date, const QList<TSkedRec>& records,
                                 const QString& categoryFilter, const QList<TAlarmUpdate>& alarms)
{
    const BookResult written =
        fromWrite(nox::saveDay(m_folder, date, records, categoryFilter), dayFile(date));
    if (!written.ok()) {
        return written;
    }
    return applyAlarms(written, alarms);
}

BookResult ScheduleBook::add(const TSkedRec& rec, TAlarmUpdateMode mode)
{
    BookResult result = fromWrite(appendSkedRec(m_folder, rec), dayFile(rec.date()));
    if (!result.ok()) {
        return result;
    }
    result.record = rec;
    return applyAlarms(result, {TAlarmUpdate{rec, mode}});
}

BookResult ScheduleBook::replace(const QDate& oldDate, qint32 oldId, const TSkedRec& rec,
                                 TAlarmUpdateMode mode)
{
    if (oldDate == rec.date()) {
        BookResult result = replaceInDay(oldDate, oldId, rec);
        if (!result.ok()) {
            return result;
        }
        QList<TAlarmUpdate> updates = withdrawals(oldDate, oldId, result.count);
        updates.append(TAlarmUpdate{rec, mode});
        return applyAlarms(result, updates);
    }
    // The new day first: a failure after it leaves the schedule twice, never lost.
    BookResult result = fromWrite(appendSkedRec(m_folder, rec), dayFile(rec.date()));
    if (!result.ok()) {
        return result;
    }
    result.record = rec;
    int removed = 0;
    const TDayWriteResult deleted = deleteSkedById(m_folder, oldDate, oldId, [&](qint32) { ++removed; });
    if (!deleted.ok) {
        BookResult failed = BookResult::failed(
            dayFile(oldDate), deleted.error + QStringLiteral("\n予定は %1 に保存されましたが、元の日 %2 "
                                                             "からは消せませんでした。")
                                                  .arg(dayText(rec.date()), dayText(oldDate)));
        failed.record = rec;
        // The schedule now stands at its new date: its alarms follow it.
        (void)applyAlarms(BookResult{}, {TAlarmUpdate{rec, mode}});
        return failed;
    }
    result.count = removed;
    QList<TAlarmUpdate> updates = withdrawals(oldDate, oldId, removed);
    updates.append(TAlarmUpdate{rec, mode});
    return applyAlarms(result, updates);
}

BookResult ScheduleBook::remove(const QDate& date, qint32 id)
{
    int removed = 0;
    const QString path = dayFile(date);
    const TDayWriteResult deleted = deleteSkedById(m_folder, date, id, [&](qint32) { ++removed; });
    if (!deleted.ok) {
        return BookResult::failed(path, deleted.error);
    }
    if (removed == 0) {
        return BookResult::notFound(
            path, QStringLiteral("ファイル「%1」に ID %2 のスケジュールがありません").arg(path).arg(id));
    }
    BookResult result;
    result.count = removed;
    return applyAlarms(result, withdrawals(date, id, removed));
}

BookResult ScheduleBook::move(const QDate& from, qint32 id, const TSkedRec& moved)
{
    return replace(from, id, moved, amStoredAgain);
}

BookResult ScheduleBook::copy(const TSkedRec& rec)
{
    TSkedRec copied = rec;
    copied.ID = newId();
    return add(copied, amStoredAgain);
}

BookResult ScheduleBook::rewriteFields(const QDate& date, qint32 id,
                                       const std::function<void(QStringList& fields)>& edit)
{
    BookLines day = lines(date);
    if (!day.result.ok()) {
        return day.result;
    }
    for (QString& line : day.lines) {
        if (!hasId(line, id)) {
            continue;
        }
        QStringList fields = line.split(QLatin1Char('\t'));
        while (fields.size() < kSkedRequiredFields) {
            fields.append(QString());
        }
        edit(fields);
        const QString changed = fields.join(QLatin1Char('\t'));
        if (changed == line) {
            return BookResult{};
        }
        line = changed;
        return writeLines(date, day.lines);
    }
    const QString path = dayFile(date);
    return BookResult::notFound(
        path, QStringLiteral("ファイル「%1」に ID %2 のスケジュールがありません").arg(path).arg(id));
}

BookResult ScheduleBook::rewriteLines(const QDate& date, const std::function<bool(QStringList& lines)>& edit)
{
    BookLines day = lines(date);
    if (!day.result.ok() || !edit(day.lines)) {
        return day.result;
    }
    return writeLines(date, day.lines);
}

qint32 ScheduleBook::newId()
{
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    qint32 id = newScheduleId(now.time());
    IdMemory& memory = idMemory();
    QMutexLocker locker(&memory.lock);
    if (memory.day == now.date() && id <= memory.last) {
        id = memory.last + 1;
    }
    memory.day = now.date();
    memory.last = id;
    return id;
}

// --- private ---------------------------------------------------------------

BookResult ScheduleBook::applyAlarms(BookResult result, const QList<TAlarmUpdate>& updates)
{
    if (!m_alarms || updates.isEmpty()) {
        return result;
    }
    const BookResult alarms = m_alarms->UpdateScheduleAlarms(updates);
    if (!alarms.ok()) {
        result.status = alarms.status;
        result.file = alarms.file;
        result.message = alarms.message;
    }
    return result;
}

// One write: the lines of `oldId` go, the record's line comes at the end.
BookResult ScheduleBook::replaceInDay(const QDate& date, qint32 oldId, const TSkedRec& rec)
{
    BookLines day = lines(date);
    if (!day.result.ok()) {
        return day.result;
    }
    const qsizetype before = day.lines.size();
    day.lines.removeIf([oldId](const QString& line) { return hasId(line, oldId); });
    const int removed = int(before - day.lines.size());
    day.lines.append(formatSkedLine(rec));
    BookResult result = writeLines(date, day.lines);
    if (result.ok()) {
        result.count = removed;
        result.record = rec;
    }
    return result;
}

BookResult ScheduleBook::writeLines(const QDate& date, const QStringList& lines)
{
    const QString path = dayFile(date);
    QString error;
    if (allBlank(lines)) {
        return removeFile(path, &error) ? BookResult{} : BookResult::failed(path, error);
    }
    // Lines nobody changed keep their bytes.
    if (!rewriteTextLines(path, lines, &error)) {
        return BookResult::failed(path, error);
    }
    return BookResult{};
}

} // namespace nox
