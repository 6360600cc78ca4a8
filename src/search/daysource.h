#pragma once
// What the search reads of the day files: the dates that have a day file in a
// period, and the decoded text lines of one day, both from the schedule book.
// A search hands its raw terms along (search/rawterms.h) so that a day whose
// bytes rule out a match is passed over without being decoded.
#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

#include "search/rawterms.h"
#include "store/skedrec.h"

struct stat;

namespace nox
{

class DayFileReader;
class ScheduleBook;

// What searches have parsed of a day's lines, by line index. A caching
// source keeps one per cached day so that a repeated search does not parse
// the day again; the search fills it in as it goes.
struct ParsedDay {
    enum class State { Unparsed, Schedule, Damaged };
    struct Line {
        State state = State::Unparsed;
        TSkedRec rec;   // when Schedule
        QString reason; // when Damaged: why it is not a schedule
    };
    QList<Line> lines;
};

struct DayLines {
    bool ok = true;    // false: the file exists but could not be read
    QString path;      // the day file (may be empty when there are no lines)
    QString error;     // why, when !ok (names the file)
    QStringList lines; // decoded, in file order (a missing file has none)
    // Set by a caching source; the search may fill it in (one search at a time).
    std::shared_ptr<ParsedDay> parsed;
};

class DayLineSource
{
public:
    virtual ~DayLineSource() = default;
    // Dates of every day file from `from` to `to`, both inclusive; an invalid
    // date leaves that side open. Ascending.
    virtual QList<QDate> dayFileDates(const QDate& from, const QDate& to) = 0;
    // The same dates handed to `each`, each once, in any order; a source may
    // hand them out while it is still listing them. By default dayFileDates'.
    virtual void eachDayFile(const QDate& from, const QDate& to, const std::function<void(const QDate&)>& each)
    {
        for (const QDate& d : dayFileDates(from, to)) {
            each(d);
        }
    }
    virtual DayLines dayLines(const QDate& date) = 0;
    // The day's lines, or none at all (ok) when the filter rules out every
    // line of the day from the file's bytes. By default all lines.
    virtual DayLines candidateLines(const QDate& date, const RawTermFilter& filter)
    {
        Q_UNUSED(filter);
        return dayLines(date);
    }
    // True when dayLines and candidateLines may run on several threads at once.
    virtual bool concurrentReads() const { return false; }
};

// Every call goes to the book's day files; nothing is kept. Thread-safe.
class BookDaySource : public DayLineSource
{
public:
    // The book must outlive the source.
    explicit BookDaySource(const ScheduleBook& book);
    ~BookDaySource() override;
    // Also opens the folder for the reads of the days listed.
    QList<QDate> dayFileDates(const QDate& from, const QDate& to) override;
    // Hands each date out as soon as the folder's listing has it.
    void eachDayFile(const QDate& from, const QDate& to, const std::function<void(const QDate&)>& each) override;
    DayLines dayLines(const QDate& date) override;
    DayLines candidateLines(const QDate& date, const RawTermFilter& filter) override;
    bool concurrentReads() const override { return true; }

private:
    const ScheduleBook& m_book;
    std::unique_ptr<DayFileReader> m_reader; // of the last listing
};

// Keeps the listing of the data folder and the bytes of every day read, with
// whether they are well-formed UTF-8, so that a repeated search looks at the
// bytes in memory; a day's lines are decoded (and parsed by the searches) at
// its first search that cannot pass it over, and kept with it. The folder's
// change notifications tell which days to look at again; a day is read again
// from the book when its file's size, modification time or identity has
// changed. Where notifications are not available the folder is listed and
// every file's stamp checked at each dayFileDates call. Not thread-safe: one search at a time (from any
// thread).
class CachingDaySource : public DayLineSource
{
public:
    // The book must outlive the source.
    explicit CachingDaySource(const ScheduleBook& book);
    ~CachingDaySource() override;
    CachingDaySource(const CachingDaySource&) = delete;
    CachingDaySource& operator=(const CachingDaySource&) = delete;

    QList<QDate> dayFileDates(const QDate& from, const QDate& to) override;
    DayLines dayLines(const QDate& date) override;
    DayLines candidateLines(const QDate& date, const RawTermFilter& filter) override;

    // Days held, the characters of the lines decoded so far, and an estimate
    // of the memory all that takes (bytes, lines and what was parsed).
    int cachedDays() const { return int(m_cache.size()); }
    qint64 cachedChars() const;
    qint64 cachedMemory() const;

private:
    struct FileStamp {
        qint64 size = -1;
        qint64 mtimeNs = -1;
        quint64 inode = 0;
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };
    struct CachedDay {
        FileStamp stamp;
        QByteArray bytes;       // as stored
        bool validUtf8 = false; // well-formed UTF-8 throughout
        bool decoded = false;   // lines and parsed are made
        QStringList lines;
        std::shared_ptr<ParsedDay> parsed;
    };

    void updateListing();
    bool drainNotifications(QSet<qint32>* changed);
    void relistFolder();
    void restat(qint32 day);
    static FileStamp stampOf(const struct stat& st);

    const ScheduleBook& m_book;
    QByteArray m_buffer; // the file being read
    int m_watch = -1;    // inotify descriptor
    bool m_listingValid = false;
    std::map<qint32, FileStamp> m_files; // day number -> stamp, every day file
    QHash<qint32, CachedDay> m_cache;    // by day number
};

} // namespace nox
