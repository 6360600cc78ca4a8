#include "store/daycache.h"

#include <QFile>
#include <QMutexLocker>
#include <algorithm>

#include "core/textfile.h"
#include "core/utf8check.h"

namespace nox
{

namespace
{

// The memory of a QString of `size` characters (its header and the
// allocator's share); none for an empty one.
qint64 textBytes(qsizetype size)
{
    return size == 0 ? 0 : 40 + 2 * size;
}

qint64 estimateBytes(const CachedDay& day)
{
    if (!day.decoded) {
        return sizeof(CachedDay) + 224 + textBytes(day.raw.size()) / 2;
    }
    // The entry with its shared count, its two lists' blocks and the
    // cache's hash node, each with the allocator's share.
    qint64 bytes = sizeof(CachedDay) + 224;
    bytes += qint64(day.lines.size()) * qint64(sizeof(QString));
    for (const QString& line : day.lines) {
        bytes += textBytes(line.size());
    }
    bytes += qint64(day.parsed.size()) * qint64(sizeof(CachedDay::Line));
    for (const CachedDay::Line& line : day.parsed) {
        bytes += textBytes(line.reason.size());
    }
    return bytes;
}

// Where each of the line's first fields lies (split at tabs), and the rest
// of the line past the last of them.
struct FieldSpans {
    CachedDay::Span fields[kSkedFieldCount];
    CachedDay::Span rest; // the fields past the 13th, tabs included; empty when none
};

FieldSpans fieldSpans(QStringView line)
{
    FieldSpans spans;
    qsizetype start = 0;
    for (int i = 0; i < kSkedFieldCount && start <= line.size(); ++i) {
        qsizetype end = line.indexOf(u'\t', start);
        const bool last = end < 0;
        if (last) {
            end = line.size();
        }
        spans.fields[i] = {qint32(start), qint32(end - start)};
        start = last ? line.size() + 1 : end + 1;
    }
    if (start <= line.size()) {
        spans.rest = {qint32(start), qint32(line.size() - start)};
    }
    return spans;
}

CachedDay::Line compactLine(int lineNumber, const QString& text, const QDate& date)
{
    CachedDay::Line line;
    line.lineNumber = lineNumber;
    TSkedRec rec;
    const TSkedParseResult parsed = parseSkedLine(text, date, &rec);
    line.parsed = parsed.ok();
    if (!parsed.ok()) {
        line.reason = parsed.message();
        return line;
    }
    line.startTime = rec.StartTime;
    line.endTime = rec.EndTime;
    line.textColor = rec.TextColor;
    line.lineColor = rec.LineColor;
    line.fontStyle = rec.FontStyle;
    line.imageIndex = rec.ImageIndex;
    line.id = rec.ID;
    line.alarmMinutes = rec.AlarmMinutes;
    line.openRelatedInfo = rec.OpenRelatedInfo;
    const FieldSpans spans = fieldSpans(text);
    line.memo = spans.fields[kSkedFieldMemo];
    line.text = spans.fields[kSkedFieldText];
    line.category = spans.fields[kSkedFieldCategory];
    line.relatedInfo = spans.fields[kSkedFieldRelatedInfo];
    line.extraFields = spans.rest;
    return line;
}

std::shared_ptr<CachedDay> parseDay(QStringList lines, const QDate& date)
{
    auto day = std::make_shared<CachedDay>();
    day->date = date;
    day->lines = std::move(lines);
    for (qsizetype i = 0; i < day->lines.size(); ++i) {
        const QString& text = day->lines[i];
        if (!text.trimmed().isEmpty()) {
            day->parsed.append(compactLine(int(i + 1), text, date));
        }
    }
    day->bytes = estimateBytes(*day);
    return day;
}

} // namespace

TSkedRec CachedDay::record(const Line& line) const
{
    const QString& text = lines.at(line.lineNumber - 1);
    const auto field = [&](const Span& span) { return span.size > 0 ? text.mid(span.from, span.size) : QString(); };
    TSkedRec rec;
    rec.setDate(date);
    rec.StartTime = line.startTime;
    rec.EndTime = line.endTime;
    rec.TextColor = line.textColor;
    rec.LineColor = line.lineColor;
    rec.FontStyle = line.fontStyle;
    rec.ImageIndex = line.imageIndex;
    rec.ID = line.id;
    rec.Memo = field(line.memo);
    rec.Text = field(line.text);
    rec.Category = field(line.category);
    rec.AlarmMinutes = line.alarmMinutes;
    rec.RelatedInfo = field(line.relatedInfo);
    rec.OpenRelatedInfo = line.openRelatedInfo;
    rec.ExtraFields = field(line.extraFields);
    return rec;
}

// The file is read and parsed outside the lock, so that a read ahead on
// another thread never holds up the day a view asks for.
DayRead DayCache::read(const QString& path, const QDate& date, bool ahead)
{
    const FileStamp before = FileStamp::of(path);
    {
        QMutexLocker locker(&m_lock);
        const auto it = m_entries.find(date);
        if (it != m_entries.end() && it->day->trusted && it->day->stamp == before) {
            it->lastUse = ++m_clock;
            if (!it->day->decoded) {
                const CachedDayPtr raw = it->day;
                locker.unlock();
                return {decoded(raw), {}};
            }
            return {it->day, {}};
        }
        ++m_fileReads;
        m_aheadReads += ahead ? 1 : 0;
    }
    FileStamp stamp;
    TextReadResult read = readTextLines(path, &stamp);
    if (!read.ok()) {
        forget(date);
        return {nullptr, read.message()};
    }
    std::shared_ptr<CachedDay> day = parseDay(std::move(read->lines), date);
    day->stamp = stamp;
    // Changed or replaced since `before`: the stamp may belong to other contents.
    const bool steady = day->stamp == before;
    day->trusted = steady && day->stamp.isSettled();
    QMutexLocker locker(&m_lock);
    const auto it = m_entries.find(date);
    if (it != m_entries.end()) {
        m_bytes -= it->day->bytes;
        m_entries.erase(it);
    }
    if (steady) {
        m_entries.insert(date, Entry{day, ++m_clock});
        m_bytes += day->bytes;
        evictOverBudget();
    }
    return {day, {}};
}

CachedDayPtr DayCache::kept(const QDate& date)
{
    QMutexLocker locker(&m_lock);
    const auto it = m_entries.find(date);
    if (it == m_entries.end()) {
        return nullptr;
    }
    it->lastUse = ++m_clock;
    return it->day;
}

CachedDayPtr DayCache::keepBytes(const QDate& date, const FileStamp& stamp, QByteArrayView bytes,
                                 bool trusted)
{
    auto day = std::make_shared<CachedDay>();
    day->date = date;
    day->stamp = stamp;
    day->trusted = trusted;
    day->decoded = false;
    day->raw = bytes.toByteArray();
    day->validUtf8 = isWellFormedUtf8(bytes);
    day->bytes = estimateBytes(*day);
    QMutexLocker locker(&m_lock);
    ++m_fileReads;
    put(date, day);
    return day;
}

CachedDayPtr DayCache::decoded(const CachedDayPtr& day)
{
    if (day->decoded) {
        return day;
    }
    std::shared_ptr<CachedDay> made = parseDay(decodeTextLines(day->raw), day->date);
    made->stamp = day->stamp;
    made->trusted = day->trusted;
    QMutexLocker locker(&m_lock);
    const auto it = m_entries.find(day->date);
    // Only in the place of the bytes it was made from (the file may have been read anew since).
    if (it != m_entries.end() && it->day == day) {
        put(day->date, made);
    }
    return made;
}

// Under the lock.
void DayCache::put(const QDate& date, CachedDayPtr day)
{
    const auto it = m_entries.find(date);
    if (it != m_entries.end()) {
        m_bytes -= it->day->bytes;
        m_entries.erase(it);
    }
    m_bytes += day->bytes;
    m_entries.insert(date, Entry{std::move(day), ++m_clock});
    evictOverBudget();
}

void DayCache::forget(const QDate& date)
{
    QMutexLocker locker(&m_lock);
    const auto it = m_entries.find(date);
    if (it != m_entries.end()) {
        m_bytes -= it->day->bytes;
        m_entries.erase(it);
    }
}

qint64 DayCache::bytes() const
{
    QMutexLocker locker(&m_lock);
    return m_bytes;
}

int DayCache::size() const
{
    QMutexLocker locker(&m_lock);
    return int(m_entries.size());
}

int DayCache::fileReads() const
{
    QMutexLocker locker(&m_lock);
    return m_fileReads;
}

int DayCache::aheadReads() const
{
    QMutexLocker locker(&m_lock);
    return m_aheadReads;
}

// Down to three quarters of the budget, so that eviction is rare.
void DayCache::evictOverBudget()
{
    if (m_bytes <= m_budget) {
        return;
    }
    QList<std::pair<quint64, QDate>> byUse;
    byUse.reserve(m_entries.size());
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        byUse.append({it->lastUse, it.key()});
    }
    std::sort(byUse.begin(), byUse.end());
    for (const auto& entry : byUse) {
        if (m_bytes <= m_budget / 4 * 3) {
            break;
        }
        const auto it = m_entries.find(entry.second);
        m_bytes -= it->day->bytes;
        m_entries.erase(it);
    }
}

} // namespace nox
