#include "store/schedulebook.h"

#include <QFile>
#include <QMutex>

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "core/datetime.h"
#include "core/textfile.h"
#include "store/daycache.h"
#include "store/daylisting.h"
#include "store/daymerge.h"
#include "store/readahead.h"

namespace nox
{

namespace
{

BookResult fromWrite(const TDayWriteResult& written, const QString& path)
{
    return written.ok() ? BookResult::success({}) : BookResult(Status::failed(path, written.message()));
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

// How many days' handed-out states are remembered: far more than a view
// shows (a month view shows 42).
constexpr int kShownDays = 256;

// The schedules of a parsed day that pass the filter, as day() hands them out.
QList<TSkedRec> recordsOf(const CachedDay& day, const QString& categoryFilter)
{
    QList<TSkedRec> records;
    for (const CachedDay::Line& line : day.parsed) {
        if (line.parsed && !isOtherCategoryLine(day.lines.at(line.lineNumber - 1), categoryFilter)) {
            records.append(day.record(line));
        }
    }
    return records;
}

} // namespace

// The parsed days, and the state of each day file that day() last handed out.
struct ScheduleBook::Memory {
    explicit Memory(const QString& folder)
        : listing(folder),
          ahead([this, folder](const QDate& date) {
              cache.read(dayFilePath(folder, date), date, true);
              if (aheadAlso) {
                  aheadAlso(date);
              }
          })
    {
    }

    // What else a read ahead of a day prepares (the occurrences of its month);
    // set once, before the first read ahead.
    std::function<void(const QDate&)> aheadAlso;

    DayCache cache;
    DayListing listing; // for passes over many days
    QMutex lock;        // guards shown and shownOrder
    QHash<QDate, CachedDayPtr> shown;
    QList<QDate> shownOrder; // oldest first

    void noteShown(const QDate& date, CachedDayPtr day)
    {
        QMutexLocker locker(&lock);
        if (shown.contains(date)) {
            shownOrder.removeOne(date);
        } else if (shownOrder.size() >= kShownDays) {
            shown.remove(shownOrder.takeFirst());
        }
        shown.insert(date, std::move(day));
        shownOrder.append(date);
    }
    CachedDayPtr shownDay(const QDate& date)
    {
        QMutexLocker locker(&lock);
        return shown.value(date);
    }
    void replaceShown(const QDate& date, CachedDayPtr day)
    {
        QMutexLocker locker(&lock);
        if (shown.contains(date)) {
            shown.insert(date, std::move(day));
        }
    }

    // Last, so that its thread is joined before the cache goes.
    ReadAhead ahead;
};

ScheduleBook::ScheduleBook(QString dataFolder, ScheduleAlarmSink* alarms)
    : m_folder(std::move(dataFolder)), m_encodedFolder(QFile::encodeName(m_folder)), m_alarms(alarms),
      m_memory(std::make_shared<Memory>(m_folder)), m_repeat(makeRepeatMemory(m_folder))
{
    m_memory->aheadAlso = repeatAhead(m_repeat);
}

QString ScheduleBook::dayFile(const QDate& date) const
{
    return dayFilePath(m_folder, date);
}

// --- reading ---------------------------------------------------------------

BookDay ScheduleBook::day(const QDate& date, const QString& categoryFilter) const
{
    return readDay(date, categoryFilter, true);
}

BookDay ScheduleBook::look(const QDate& date, const QString& categoryFilter) const
{
    return readDay(date, categoryFilter, false);
}

// Every reader's way to the schedules of a day: those of its day file, as
// kept in memory. Schedules that stand in no day file of their own (made
// from a rule) join them here, so that every view, lookup and list sees the
// same day. `shown`: the day file's state is noted as what a view holds.
BookDay ScheduleBook::readDay(const QDate& date, const QString& categoryFilter, bool shown, bool withOccurrences) const
{
    const QString path = dayFile(date);
    const DayRead read = m_memory->cache.read(path, date);
    BookDay result;
    if (!read.day) {
        result.result = Status::failed(path, read.error);
        return result;
    }
    if (shown) {
        m_memory->noteShown(date, read.day);
    }
    for (const CachedDay::Line& line : read.day->parsed) {
        const QString& text = read.day->lines.at(line.lineNumber - 1);
        if (isOtherCategoryLine(text, categoryFilter)) {
            continue;
        }
        if (line.parsed) {
            result.records.append(read.day->record(line));
        } else {
            result.problems.append(TDayProblem{path, line.lineNumber, line.reason, text});
        }
    }
    if (withOccurrences) {
        appendOccurrences(date, categoryFilter, shown, &result);
    }
    return result;
}

BookResult ScheduleBook::lookUp(const QDate& date, qint32 id) const
{
    const BookDay found = look(date);
    if (!found.result.ok()) {
        return found.result;
    }
    for (const TSkedRec& rec : found.records) {
        if (rec.ID == id) {
            BookResult result = BookResult::success({});
            result->record = rec;
            return result;
        }
    }
    const QString path = dayFile(date);
    return Status::notFound(
        path, QStringLiteral("ファイル「%1」に ID %2 のスケジュールがありません").arg(path).arg(id));
}

std::optional<TSkedRec> ScheduleBook::find(const QDate& date, qint32 id) const
{
    return lookUp(date, id)->record;
}

QList<QDate> ScheduleBook::dates(const QDate& from, const QDate& to) const
{
    return listDayFiles(m_folder, from, to);
}

void ScheduleBook::eachDate(const QDate& from, const QDate& to, const std::function<void(const QDate&)>& each) const
{
    forEachDayFile(m_folder, from, to, each);
}

BookLines ScheduleBook::lines(const QDate& date) const
{
    const DayRead read = m_memory->cache.read(dayFile(date), date);
    BookLines result;
    if (!read.day) {
        result.result = Status::failed(dayFile(date), read.error);
        return result;
    }
    result.lines = read.day->lines;
    return result;
}

BookResult ScheduleBook::readDayBytes(const QDate& date, QByteArray* bytes) const
{
    // The path is put together in a buffer of the thread: a search asks for
    // thousands of files.
    thread_local QByteArray path;
    path.resize(0);
    path.append(m_encodedFolder);
    path.append('/');
    char name[kDayFileNameSize + 1];
    if (dayFileNameBytes(date, name)) {
        path.append(name, kDayFileNameSize);
    } else {
        path.append(QFile::encodeName(dayFileName(date)));
    }
    return readResult(date, readFileBytes(path.constData(), bytes));
}

BookResult ScheduleBook::readResult(const QDate& date, int err) const
{
    if (err == 0 || isMissingFileError(err)) {
        return BookResult::success({});
    }
    const QString file = dayFile(date);
    return Status::failed(file, readErrorMessage(file, err));
}

DayFileReader::DayFileReader(const ScheduleBook& book) : m_book(book)
{
    m_folder = ::open(QFile::encodeName(book.dataFolder()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    m_shortReadEnds = m_folder >= 0 && localFileSystem(m_folder);
}

DayFileReader::~DayFileReader()
{
    if (m_folder >= 0) {
        ::close(m_folder);
    }
}

BookResult DayFileReader::read(const QDate& date, QByteArray* bytes, FileStamp* stamp) const
{
    char name[kDayFileNameSize + 1];
    if (m_folder < 0 || !dayFileNameBytes(date, name)) {
        const QByteArray path = QFile::encodeName(m_book.dayFile(date));
        return m_book.readResult(date, readFileBytesAt(AT_FDCWD, path.constData(), bytes, false, stamp));
    }
    return m_book.readResult(date, readFileBytesAt(m_folder, name, bytes, m_shortReadEnds, stamp));
}

QList<QDate> ScheduleBook::passDates(const QDate& from, const QDate& to) const
{
    Memory& memory = *m_memory;
    memory.listing.sync([&memory](const QDate& changed) { memory.cache.forget(changed); });
    return memory.listing.dates(from, to);
}

BookPassDay ScheduleBook::passDay(const QDate& date, const DayBytesTest& test,
                                  const DayFileReader& reader) const
{
    BookPassDay pass;
    const FileStamp listed = m_memory->listing.stamp(date);
    CachedDayPtr day = m_memory->cache.kept(date);
    // A day read while its file's last change was too recent for the stamp
    // to tell the next one is taken from memory only while the folder's
    // notifications would have named a later change.
    if (!day || !listed.exists || day->stamp != listed || !(day->trusted || m_memory->listing.watched())) {
        thread_local QByteArray bytes; // one buffer per thread for all the files of a pass
        FileStamp stamp;
        pass.result = reader.read(date, &bytes, &stamp);
        if (!pass.result.ok() || !stamp.exists) {
            m_memory->cache.forget(date);
            return pass;
        }
        day = m_memory->cache.keepBytes(date, stamp, bytes, stamp.isSettled());
    }
    if (!day->decoded) {
        if (test && !test(QByteArrayView(day->raw), day->validUtf8)) {
            return pass;
        }
        day = m_memory->cache.decoded(day);
    }
    pass.day = std::move(day);
    return pass;
}

BookResult DayFileReader::read(const QDate& date, QByteArray* bytes) const
{
    char name[kDayFileNameSize + 1];
    if (m_folder < 0 || !dayFileNameBytes(date, name)) {
        return m_book.readDayBytes(date, bytes);
    }
    return m_book.readResult(date, readFileBytesAt(m_folder, name, bytes, m_shortReadEnds));
}

void ScheduleBook::readAhead(QList<QDate> dates) const
{
    m_memory->ahead.request(std::move(dates));
}

void ScheduleBook::readAround(const QDate& first, const QDate& last, int days) const
{
    QList<QDate> dates;
    dates.reserve(2 * days);
    for (int i = 1; i <= days; ++i) {
        dates.append(last.addDays(i));
    }
    for (int i = 1; i <= days; ++i) {
        dates.append(first.addDays(-i));
    }
    readAhead(std::move(dates));
}

void ScheduleBook::waitForReadAhead() const
{
    m_memory->ahead.waitUntilIdle();
}

ScheduleBook::CacheStats ScheduleBook::cacheStats() const
{
    return {m_memory->cache.size(), m_memory->cache.bytes(), m_memory->cache.fileReads(),
            m_memory->cache.aheadReads()};
}

// --- changing --------------------------------------------------------------

BookResult ScheduleBook::saveDay(const QDate& date, const QList<TSkedRec>& records,
                                 const QString& categoryFilter, const QList<TAlarmUpdate>& alarms)
{
    QList<TSkedRec> dayRecords;
    const BookResult occurrences = saveOccurrenceChanges(date, records, &dayRecords);
    if (!occurrences.ok()) {
        return occurrences;
    }
    if (!unchangedSinceShown(date)) {
        return mergeChangedDay(date, dayRecords, categoryFilter, alarms);
    }
    const BookResult written =
        fromWrite(nox::saveDay(m_folder, date, dayRecords, categoryFilter), dayFile(date));
    afterWrite(date, true);
    if (!written.ok()) {
        return written;
    }
    return applyAlarms(written, alarms);
}

// The file changed on disk since the caller was given the day: its records
// are merged with the file's, and the day stays out of step with the caller
// (its next save merges again) until it reads the day anew.
BookResult ScheduleBook::mergeChangedDay(const QDate& date, const QList<TSkedRec>& records,
                                         const QString& categoryFilter, const QList<TAlarmUpdate>& alarms)
{
    const QString path = dayFile(date);
    const CachedDayPtr shown = m_memory->shownDay(date);
    const DayRead now = m_memory->cache.read(path, date);
    if (!now.day) {
        return Status::failed(path, now.error);
    }
    const QList<TSkedRec> merged =
        mergeDayRecords(recordsOf(*shown, categoryFilter), records, recordsOf(*now.day, categoryFilter),
                        [this] { return newId(); });
    const BookResult written = fromWrite(nox::saveDay(m_folder, date, merged, categoryFilter), path);
    if (!written.ok()) {
        return written;
    }
    BookResult result = applyAlarms(written, alarms);
    if (result.ok()) {
        result = changedOnDisk(date);
    }
    return result;
}

BookResult ScheduleBook::add(const TSkedRec& rec, TAlarmUpdateMode mode)
{
    const bool inSync = unchangedSinceShown(rec.date());
    BookResult result = fromWrite(appendSkedRec(m_folder, rec), dayFile(rec.date()));
    afterWrite(rec.date(), inSync);
    if (!result.ok()) {
        return result;
    }
    result->record = rec;
    return applyAlarms(result, {TAlarmUpdate{rec, mode}});
}

BookResult ScheduleBook::addAll(const QDate& date, const QList<TSkedRec>& recs, TAlarmUpdateMode mode)
{
    const bool inSync = unchangedSinceShown(date);
    BookResult result = fromWrite(appendSkedRecs(m_folder, date, recs), dayFile(date));
    afterWrite(date, inSync);
    if (!result.ok()) {
        return result;
    }
    if (!recs.isEmpty()) {
        result->record = recs.last();
    }
    QList<TAlarmUpdate> updates;
    for (const TSkedRec& rec : recs) {
        updates.append(TAlarmUpdate{rec, mode});
    }
    return applyAlarms(result, updates);
}

BookResult ScheduleBook::replace(const QDate& oldDate, qint32 oldId, const TSkedRec& rec,
                                 TAlarmUpdateMode mode)
{
    if (const std::optional<TSkedRec> occurrence = occurrenceOn(oldDate, oldId)) {
        return changeOccurrence(OccurrenceScope::This, *occurrence, rec);
    }
    if (oldDate == rec.date()) {
        BookResult result = replaceInDay(oldDate, oldId, rec);
        if (!result.ok()) {
            return result;
        }
        QList<TAlarmUpdate> updates = withdrawals(oldDate, oldId, result->count);
        updates.append(TAlarmUpdate{rec, mode});
        return applyAlarms(result, updates);
    }
    // The new day first: a failure after it leaves the schedule twice, never lost.
    const bool newInSync = unchangedSinceShown(rec.date());
    BookResult result = fromWrite(appendSkedRec(m_folder, rec), dayFile(rec.date()));
    afterWrite(rec.date(), newInSync);
    if (!result.ok()) {
        return result;
    }
    result->record = rec;
    int removed = 0;
    const bool oldInSync = unchangedSinceShown(oldDate);
    const TDayWriteResult deleted = deleteSkedById(m_folder, oldDate, oldId, [&](qint32) { ++removed; });
    afterWrite(oldDate, oldInSync);
    if (!deleted.ok()) {
        BookResult failed = Status::failed(
            dayFile(oldDate), deleted.message() + QStringLiteral("\n予定は %1 に保存されましたが、元の日 %2 "
                                                             "からは消せませんでした。")
                                                  .arg(dayText(rec.date()), dayText(oldDate)));
        failed->record = rec;
        // The schedule now stands at its new date: its alarms follow it.
        (void)applyAlarms(BookResult::success({}), {TAlarmUpdate{rec, mode}});
        return failed;
    }
    result->count = removed;
    QList<TAlarmUpdate> updates = withdrawals(oldDate, oldId, removed);
    updates.append(TAlarmUpdate{rec, mode});
    return applyAlarms(result, updates);
}

BookResult ScheduleBook::remove(const QDate& date, qint32 id)
{
    if (const std::optional<TSkedRec> occurrence = occurrenceOn(date, id)) {
        return removeOccurrence(OccurrenceScope::This, *occurrence);
    }
    int removed = 0;
    const QString path = dayFile(date);
    const bool inSync = unchangedSinceShown(date);
    const TDayWriteResult deleted = deleteSkedById(m_folder, date, id, [&](qint32) { ++removed; });
    afterWrite(date, inSync);
    if (!deleted.ok()) {
        return Status::failed(path, deleted.message());
    }
    if (removed == 0) {
        return Status::notFound(
            path, QStringLiteral("ファイル「%1」に ID %2 のスケジュールがありません").arg(path).arg(id));
    }
    BookResult result = BookResult::success({});
    result->count = removed;
    return applyAlarms(result, withdrawals(date, id, removed));
}

BookResult ScheduleBook::move(const QDate& from, qint32 id, const TSkedRec& moved)
{
    const bool fromInStep = unchangedSinceShown(from);
    const bool toInStep = moved.date() == from ? fromInStep : unchangedSinceShown(moved.date());
    const BookResult result = replace(from, id, moved, amStoredAgain);
    return fromInStep && toInStep ? result : toldChangedOnDisk(result, fromInStep ? moved.date() : from);
}

BookResult ScheduleBook::copy(const TSkedRec& rec)
{
    TSkedRec copied = rec;
    copied.ID = newId();
    // A copy of a repeat rule's occurrence is a schedule of its own.
    copied.RuleID = 0;
    copied.RuleDate = 0;
    const bool inStep = unchangedSinceShown(copied.date());
    const BookResult result = add(copied, amStoredAgain);
    return inStep ? result : toldChangedOnDisk(result, copied.date());
}

// Only the one schedule's lines were written, into the file as it stood:
// both sides' changes are kept. The caller is told to read the day again.
BookResult ScheduleBook::toldChangedOnDisk(const BookResult& written, const QDate& date) const
{
    if (!written.ok()) {
        return written;
    }
    BookResult told = changedOnDisk(date);
    told.value() = written.value();
    return told;
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
            return BookResult::success({});
        }
        line = changed;
        return writeLines(date, day.lines);
    }
    const QString path = dayFile(date);
    return Status::notFound(
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
        result.setStatus(alarms.status());
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
        result->count = removed;
        result->record = rec;
    }
    return result;
}

BookResult ScheduleBook::writeLines(const QDate& date, const QStringList& lines)
{
    const QString path = dayFile(date);
    const bool inSync = unchangedSinceShown(date);
    // Lines nobody changed keep their bytes.
    BookResult result = allBlank(lines) ? removeFile(path) : rewriteTextLines(path, lines);
    afterWrite(date, inSync);
    return result;
}

// True unless the day file changed on disk since day() last handed it out:
// the stamp tells at once; a stamp that cannot be trusted (or differs) is
// checked against the contents.
bool ScheduleBook::unchangedSinceShown(const QDate& date) const
{
    const CachedDayPtr shown = m_memory->shownDay(date);
    if (!shown) {
        return true;
    }
    if (shown->trusted && FileStamp::of(dayFile(date)) == shown->stamp) {
        return true;
    }
    const DayRead now = m_memory->cache.read(dayFile(date), date);
    // An unreadable file is left to the write, which refuses it.
    return !now.day || now.day->lines == shown->lines;
}

// After a write of the book itself: a day that was in step with what was
// handed out stays in step (the caller has made the same change to its
// copy); one that was not stays out of step.
void ScheduleBook::afterWrite(const QDate& date, bool wasInSync)
{
    if (!wasInSync || !m_memory->shownDay(date)) {
        return;
    }
    const DayRead now = m_memory->cache.read(dayFile(date), date);
    if (now.day) {
        m_memory->replaceShown(date, now.day);
    }
}

BookResult ScheduleBook::changedOnDisk(const QDate& date) const
{
    const QString path = dayFile(date);
    return Status::changedOnDisk(path,
                                 QStringLiteral("ファイル「%1」は、表示したあとで他のプログラムによって変更されました。"
                                                "両方の変更を合わせて保存しました。表示を読み直します。")
                                     .arg(path));
}

} // namespace nox
