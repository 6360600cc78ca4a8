#include "store/daycache.h"

#include <QFile>
#include <QMutexLocker>
#include <algorithm>

#include "core/textfile.h"

namespace nox
{

namespace
{

qint64 textBytes(const QString& s)
{
    return 24 + 2 * s.size();
}

qint64 estimateBytes(const CachedDay& day)
{
    qint64 bytes = sizeof(CachedDay) + 64;
    for (const QString& line : day.lines) {
        bytes += 8 + textBytes(line);
    }
    for (const CachedDay::Line& line : day.parsed) {
        bytes += sizeof(CachedDay::Line) + textBytes(line.reason);
        const TSkedRec& r = line.rec;
        bytes += textBytes(r.Memo) + textBytes(r.Text) + textBytes(r.Category) + textBytes(r.RelatedInfo) +
                 textBytes(r.ExtraFields);
    }
    return bytes;
}

std::shared_ptr<CachedDay> parseDay(QStringList lines, const QDate& date)
{
    auto day = std::make_shared<CachedDay>();
    day->lines = std::move(lines);
    for (qsizetype i = 0; i < day->lines.size(); ++i) {
        const QString& text = day->lines[i];
        if (text.trimmed().isEmpty()) {
            continue;
        }
        CachedDay::Line line;
        line.lineNumber = int(i + 1);
        const TSkedParseResult parsed = parseSkedLine(text, date, &line.rec);
        line.parsed = parsed.ok;
        line.reason = parsed.reason;
        day->parsed.append(std::move(line));
    }
    day->bytes = estimateBytes(*day);
    return day;
}

} // namespace

// The file is read and parsed outside the lock, so that a read ahead on
// another thread never holds up the day a view asks for.
DayRead DayCache::read(const QString& path, const QDate& date)
{
    const FileStamp before = FileStamp::of(path);
    {
        QMutexLocker locker(&m_lock);
        const auto it = m_entries.find(date);
        if (it != m_entries.end() && it->day->trusted && it->day->stamp == before) {
            it->lastUse = ++m_clock;
            return {it->day, {}};
        }
        ++m_fileReads;
    }
    FileStamp stamp;
    TextReadResult read = readTextLines(path, &stamp);
    if (!read.ok) {
        forget(date);
        return {nullptr, read.error};
    }
    std::shared_ptr<CachedDay> day = parseDay(std::move(read.lines), date);
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
