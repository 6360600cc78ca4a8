#include "search/daysource.h"

#include "core/datetime.h"
#include "core/textfile.h"
#include "store/dayfile.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace nox
{

namespace
{

bool inPeriod(const QDate& date, const QDate& from, const QDate& to)
{
    return (!from.isValid() || date >= from) && (!to.isValid() || date <= to);
}

} // namespace

QStringList DayLines::lines() const
{
    return splitLines(text);
}

FolderDaySource::FolderDaySource(QString folder, bool cache) : m_folder(std::move(folder)), m_caching(cache) {}

// Lists with readdir and fstatat rather than QDir: a twenty-year folder holds
// thousands of day files, and the stamps of a cached search must cost far
// less than reading the files again.
QList<QDate> FolderDaySource::dayFileDates(const QDate& from, const QDate& to)
{
    QList<QDate> dates;
    m_listed.clear();
    DIR* dir = ::opendir(QFile::encodeName(m_folder).constData());
    if (!dir) {
        return dates; // a missing folder holds no day files
    }
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        // Day file names are ASCII and twelve characters long.
        if (std::strlen(entry->d_name) != 12) {
            continue;
        }
        const QDate date = dayFileDate(QString::fromLatin1(entry->d_name));
        if (!date.isValid() || !inPeriod(date, from, to)) {
            continue;
        }
        if (entry->d_type == DT_REG && !m_caching) {
            dates.append(date);
            continue;
        }
        struct stat st{};
        if (::fstatat(dirFd, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) {
            continue;
        }
        dates.append(date);
        if (m_caching) {
            m_listed.insert(dayNumber(date), FileStamp{qint64(st.st_size),
                                                       qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec});
        }
    }
    ::closedir(dir);
    std::sort(dates.begin(), dates.end());
    // Days that are gone leave the cache.
    if (m_caching) {
        for (auto it = m_cache.begin(); it != m_cache.end();) {
            const QDate d = dateFromDayNumber(it.key());
            it = (inPeriod(d, from, to) && !m_listed.contains(it.key())) ? m_cache.erase(it) : std::next(it);
        }
    }
    return dates;
}

DayLines FolderDaySource::dayLines(const QDate& date)
{
    DayLines day;
    day.path = dayFilePath(m_folder, date);
    const qint32 key = dayNumber(date);
    const auto listed = m_listed.constFind(key);
    if (m_caching && listed != m_listed.cend()) {
        const auto cached = m_cache.constFind(key);
        if (cached != m_cache.cend() && cached->stamp == *listed) {
            day.text = cached->text;
            return day;
        }
    }
    const TextReadResult read = readText(day.path);
    day.ok = read.ok;
    day.error = read.error;
    day.text = read.text;
    if (m_caching) {
        if (read.ok && listed != m_listed.cend()) {
            m_cache.insert(key, CachedDay{*listed, read.text});
        } else {
            m_cache.remove(key);
        }
    }
    return day;
}

qint64 FolderDaySource::cachedChars() const
{
    qint64 n = 0;
    for (const CachedDay& day : m_cache) {
        n += day.text.size();
    }
    return n;
}

} // namespace nox
