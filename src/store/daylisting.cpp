#include "store/daylisting.h"

#include <QFile>
#include <QMutexLocker>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "store/dayfile.h"

namespace nox
{

namespace
{

// Everything that can change which day files exist or what they hold.
constexpr uint32_t kWatchedEvents = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM |
                                    IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

QDate dateOfName(const char* name)
{
    if (name[0] == '.' || std::strlen(name) != size_t(kDayFileNameSize)) {
        return QDate();
    }
    return dayFileDate(QString::fromLatin1(name, kDayFileNameSize));
}

} // namespace

DayListing::DayListing(QString folder) : m_folder(std::move(folder)) {}

DayListing::~DayListing()
{
    if (m_watch >= 0) {
        ::close(m_watch);
    }
}

void DayListing::sync(const std::function<void(const QDate&)>& changed)
{
    QMutexLocker locker(&m_lock);
    if (m_watch < 0) {
        m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_watch >= 0 &&
            ::inotify_add_watch(m_watch, QFile::encodeName(m_folder).constData(), kWatchedEvents) < 0) {
            ::close(m_watch);
            m_watch = -1;
        }
        m_valid = false;
    }
    QList<QDate> named;
    if (m_watch >= 0 && !drainNotifications(&named)) {
        // Notifications were lost: what was taken on their word is not trusted.
        for (const auto& [day, stamp] : m_files) {
            changed(QDate::fromJulianDay(day));
        }
        m_valid = false;
    }
    if (!m_valid) {
        // Without notifications the stamps alone tell a change.
        relistFolder();
        return;
    }
    for (const QDate& date : named) {
        restat(date);
        changed(date);
    }
}

// Reads the pending notifications; false when the list must be made anew.
bool DayListing::drainNotifications(QList<QDate>* changed)
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
            if (date.isValid() && !changed->contains(date)) {
                changed->append(date);
            }
        }
    }
}

void DayListing::relistFolder()
{
    m_files.clear();
    DIR* dir = ::opendir(QFile::encodeName(m_folder).constData());
    if (dir) {
        while (const dirent* entry = ::readdir(dir)) {
            const QDate date = dateOfName(entry->d_name);
            struct stat st {
            };
            if (date.isValid() && ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 &&
                S_ISREG(st.st_mode)) {
                m_files[date.toJulianDay()] = FileStamp::of(st);
            }
        }
        ::closedir(dir);
    }
    m_valid = m_watch >= 0;
}

void DayListing::restat(const QDate& date)
{
    struct stat st {
    };
    const QByteArray path = QFile::encodeName(dayFilePath(m_folder, date));
    if (::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode)) {
        m_files[date.toJulianDay()] = FileStamp::of(st);
    } else {
        m_files.erase(date.toJulianDay());
    }
}

QList<QDate> DayListing::dates(const QDate& from, const QDate& to) const
{
    QMutexLocker locker(&m_lock);
    QList<QDate> dates;
    const auto first = from.isValid() ? m_files.lower_bound(from.toJulianDay()) : m_files.begin();
    const auto end = to.isValid() ? m_files.upper_bound(to.toJulianDay()) : m_files.end();
    for (auto it = first; it != end; ++it) {
        dates.append(QDate::fromJulianDay(it->first));
    }
    return dates;
}

FileStamp DayListing::stamp(const QDate& date) const
{
    QMutexLocker locker(&m_lock);
    const auto it = m_files.find(date.toJulianDay());
    return it == m_files.end() ? FileStamp() : it->second;
}

bool DayListing::watched() const
{
    QMutexLocker locker(&m_lock);
    return m_valid;
}

} // namespace nox
