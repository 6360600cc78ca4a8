#include "search/daysource.h"

#include "core/datetime.h"
#include "core/textfile.h"
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

DayLines unreadable(const BookResult& read)
{
    DayLines day;
    day.ok = false;
    day.path = read.file;
    day.error = read.message;
    return day;
}

// The decoded lines of a day's bytes, or none when the filter can tell
// that no line can match.
DayLines candidateDay(const ScheduleBook& book, const QDate& date, const QByteArray& bytes,
                      const RawTermFilter& filter)
{
    DayLines day;
    if (filter.mayMatch(bytes)) {
        day.path = book.dayFile(date);
        day.lines = decodeTextLines(bytes);
    }
    return day;
}

// Everything that can change which day files exist or what they hold.
constexpr uint32_t kWatchedEvents = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM |
                                    IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

} // namespace

BookDaySource::BookDaySource(const ScheduleBook& book) : m_book(book) {}

BookDaySource::~BookDaySource() = default;

QList<QDate> BookDaySource::dayFileDates(const QDate& from, const QDate& to)
{
    m_reader = std::make_unique<DayFileReader>(m_book);
    return m_book.dates(from, to);
}

void BookDaySource::eachDayFile(const QDate& from, const QDate& to, const std::function<void(const QDate&)>& each)
{
    m_reader = std::make_unique<DayFileReader>(m_book);
    m_book.eachDate(from, to, each);
}

DayLines BookDaySource::dayLines(const QDate& date)
{
    return candidateLines(date, RawTermFilter());
}

DayLines BookDaySource::candidateLines(const QDate& date, const RawTermFilter& filter)
{
    // One buffer per thread for all the files of a search.
    thread_local QByteArray bytes;
    const BookResult read = m_reader ? m_reader->read(date, &bytes) : m_book.readDayBytes(date, &bytes);
    if (!read.ok()) {
        return unreadable(read);
    }
    return candidateDay(m_book, date, bytes, filter);
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
    return candidateLines(date, RawTermFilter());
}

DayLines CachingDaySource::candidateLines(const QDate& date, const RawTermFilter& filter)
{
    const qint32 key = dayNumber(date);
    const auto listed = m_files.find(key);
    auto cached = m_cache.find(key);
    if (cached == m_cache.end() || listed == m_files.end() || cached->stamp != listed->second) {
        const BookResult read = m_book.readDayBytes(date, &m_buffer);
        if (!read.ok() || listed == m_files.end()) {
            m_cache.remove(key);
            if (!read.ok()) {
                return unreadable(read);
            }
            // Not in the listing (it came after it): read, not kept.
            return candidateDay(m_book, date, m_buffer, filter);
        }
        CachedDay fresh;
        fresh.stamp = listed->second;
        fresh.bytes = QByteArray(m_buffer.constData(), m_buffer.size()); // no spare room kept
        fresh.validUtf8 = isWellFormedUtf8(fresh.bytes);
        cached = m_cache.insert(key, std::move(fresh));
    }
    DayLines day;
    if (!filter.mayMatch(cached->bytes, cached->validUtf8)) {
        return day;
    }
    if (!cached->decoded) {
        cached->lines = decodeTextLines(cached->bytes);
        cached->parsed = std::make_shared<ParsedDay>();
        cached->decoded = true;
    }
    day.path = m_book.dayFile(date);
    day.lines = cached->lines;
    day.parsed = cached->parsed;
    return day;
}

qint64 CachingDaySource::cachedChars() const
{
    qint64 n = 0;
    for (const CachedDay& cached : m_cache) {
        for (const QString& line : cached.lines) {
            n += line.size();
        }
    }
    return n;
}

qint64 CachingDaySource::cachedMemory() const
{
    // Heap blocks are counted with a header of 16 bytes and their contents.
    constexpr qint64 kBlock = 16;
    constexpr qint64 kText = kBlock + 16; // a string's or byte array's block header
    qint64 n = 0;
    for (const CachedDay& cached : m_cache) {
        n += qint64(sizeof(CachedDay)) + kBlock + kText + cached.bytes.size();
        if (!cached.decoded) {
            continue;
        }
        n += kBlock + qint64(cached.lines.size() * qint64(sizeof(QString)));
        for (const QString& line : cached.lines) {
            n += kText + 2 * line.size();
        }
        n += qint64(sizeof(ParsedDay)) + kBlock;
        for (const ParsedDay::Line& line : cached.parsed->lines) {
            n += qint64(sizeof(ParsedDay::Line));
            if (line.state == ParsedDay::State::Unparsed) {
                continue;
            }
            const TSkedRec& r = line.rec;
            for (const QString* text :
                 {&r.Memo, &r.Text, &r.Category, &r.RelatedInfo, &r.ExtraFields, &line.reason}) {
                n += text->isEmpty() ? 0 : kText + 2 * text->size();
            }
        }
    }
    return n;
}

} // namespace nox
