#include "search/daysource.h"

#include "core/datetime.h"
#include "store/dayfile.h"
#include "store/schedulebook.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace nox
{

namespace
{

constexpr int kNameLength = 12; // "yyyyMMdd.dat"

// The date of a day file's name as the system gives it; invalid for other names.
QDate dateOfName(const char* name)
{
    if (name[0] == '.' || std::strlen(name) != size_t(kNameLength)) {
        return QDate();
    }
    return dayFileDate(QString::fromLatin1(name, kNameLength));
}

DayLines dayLinesFromBook(const ScheduleBook& book, const QDate& date)
{
    DayLines day;
    day.path = book.dayFile(date);
    BookLines read = book.lines(date);
    day.ok = read.result.ok();
    day.error = read.result.message;
    day.lines = std::move(read.lines);
    return day;
}

// Everything that can change which day files exist or what they hold.
constexpr uint32_t kWatchedEvents = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM |
                                    IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

} // namespace

QList<QDate> BookDaySource::dayFileDates(const QDate& from, const QDate& to)
{
    return m_book.dates(from, to);
}

DayLines BookDaySource::dayLines(const QDate& date)
{
    return dayLinesFromBook(m_book, date);
}

CachingDaySource::CachingDaySource(const ScheduleBook& book) : m_book(book) {}

CachingDaySource::~CachingDaySource()
{
    if (m_watch >= 0) {
        ::close(m_watch);
    }
}

QList<QDate> CachingDaySource::dayFileDates(const QDate& from, const QDate& to)
{
    updateListing();
    QList<QDate> dates;
    const auto first = from.isValid() ? m_files.lower_bound(dayNumber(from)) : m_files.begin();
    const auto end = to.isValid() ? m_files.upper_bound(dayNumber(to)) : m_files.end();
    for (auto it = first; it != end; ++it) {
        dates.append(dateFromDayNumber(it->first));
    }
    return dates;
}

// The listing with the stamp of every day file is made once and then kept up
// to date from the folder's change notifications, so that a repeated search
// does not stat thousands of files: only the files named in a notification
// are looked at again. Without notifications (or after their queue
// overflowed) the whole folder is listed again.
void CachingDaySource::updateListing()
{
    if (m_watch < 0) {
        m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_watch >= 0 &&
            ::inotify_add_watch(m_watch, QFile::encodeName(m_book.dataFolder()).constData(), kWatchedEvents) < 0) {
            ::close(m_watch);
            m_watch = -1;
        }
        m_listingValid = false;
    }
    QSet<qint32> changed;
    if (m_watch < 0 || !drainNotifications(&changed)) {
        m_listingValid = false;
    }
    if (!m_listingValid) {
        relistFolder();
        return;
    }
    for (const qint32 day : changed) {
        m_cache.remove(day);
        restat(day);
    }
}

// Reads the pending notifications; false when the listing must be made anew.
bool CachingDaySource::drainNotifications(QSet<qint32>* changed)
{
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(m_watch, buffer, sizeof buffer);
        if (n <= 0) {
            return n == 0 || errno == EAGAIN || errno == EINTR;
        }
        for (ssize_t offset = 0; offset < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & (IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
                if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
                    ::close(m_watch);
                    m_watch = -1;
                }
                return false;
            }
            const QDate date = event->len > 0 ? dateOfName(event->name) : QDate();
            if (date.isValid()) {
                changed->insert(dayNumber(date));
            }
        }
    }
}

void CachingDaySource::relistFolder()
{
    m_files.clear();
    DIR* dir = ::opendir(QFile::encodeName(m_book.dataFolder()).constData());
    if (dir) {
        while (const dirent* entry = ::readdir(dir)) {
            const QDate date = dateOfName(entry->d_name);
            struct stat st{};
            if (date.isValid() && ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) {
                m_files[dayNumber(date)] = stampOf(st);
            }
        }
        ::closedir(dir);
    }
    m_listingValid = m_watch >= 0;
    // Days that are gone leave the cache.
    m_cache.removeIf([this](const auto& entry) { return m_files.find(entry.key()) == m_files.end(); });
}

void CachingDaySource::restat(qint32 day)
{
    struct stat st{};
    const QByteArray path = QFile::encodeName(m_book.dayFile(dateFromDayNumber(day)));
    if (::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode)) {
        m_files[day] = stampOf(st);
    } else {
        m_files.erase(day);
        m_cache.remove(day);
    }
}

CachingDaySource::FileStamp CachingDaySource::stampOf(const struct stat& st)
{
    return FileStamp{qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                     quint64(st.st_ino)};
}

DayLines CachingDaySource::dayLines(const QDate& date)
{
    const qint32 key = dayNumber(date);
    const auto listed = m_files.find(key);
    if (listed != m_files.end()) {
        const auto cached = m_cache.constFind(key);
        if (cached != m_cache.cend() && cached->stamp == listed->second) {
            return cached->day;
        }
    }
    DayLines day = dayLinesFromBook(m_book, date);
    if (day.ok && listed != m_files.end()) {
        day.parsed = std::make_shared<ParsedDay>();
        m_cache.insert(key, CachedDay{listed->second, day});
    } else {
        m_cache.remove(key);
    }
    return day;
}

qint64 CachingDaySource::cachedChars() const
{
    qint64 n = 0;
    for (const CachedDay& cached : m_cache) {
        for (const QString& line : cached.day.lines) {
            n += line.size();
        }
    }
    return n;
}

} // namespace nox
