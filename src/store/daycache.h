#pragma once
// DayCache: the schedule book's memory of the day files it has read, each
// kept as its decoded lines and its parsed records, so that navigating back
// and forth, both views and the search do not read and parse the same day
// again. Private to the book (store/schedulebook.cpp); a pass over many days
// (the search) is handed its days as they are kept (ScheduleBook::passDay).
//
// A day that such a pass looked at and passed over undecoded is kept as its
// bytes only; it is decoded and parsed when a reader first needs its lines.
//
// Before every use an entry is checked against its file: the size, the
// modification time (nanoseconds) and the inode (with the device) must be
// those it was read with (core/filestamp.h), else the file is read again; so
// a file changed by noxtool, a sync tool or an editor is never served from
// memory. An entry read while its file's last change was too recent for the
// stamp to tell the next one is not trusted and is read again at its next
// use. A missing file is remembered as such; a file that cannot be read is
// never kept.
//
// The cache is bounded: when its entries take more than the budget, the
// least recently used go. Thread-safe (the search and the book's read ahead
// read from threads of their own).
#include <QDate>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <memory>

#include "core/filestamp.h"
#include "store/skedrec.h"

namespace nox
{

// One day file as read: immutable once made, shared by the cache and the
// book's note of what it handed out. Each line's text is held once: a
// schedule keeps its numbers and where its texts lie in its line, and is
// put together as a TSkedRec when it is handed out (record()).
struct CachedDay {
    // Where a text field lies in its line.
    struct Span {
        qint32 from = 0;
        qint32 size = 0;
    };
    // A non-blank line: a schedule, or why it is none.
    struct Line {
        qint32 lineNumber = 0; // 1-based
        bool parsed = false;   // a schedule; else `reason` says why not
        bool openRelatedInfo = false;
        qint32 startTime = 0;
        qint32 endTime = 0;
        qint32 fontStyle = 0;
        qint32 imageIndex = -1;
        qint32 id = 0;
        qint32 alarmMinutes = -1;
        TColor textColor = 0;
        TColor lineColor = 0;
        Span memo, text, category, relatedInfo, extraFields;
        QString reason;
    };
    QDate date;
    FileStamp stamp;
    bool trusted = false; // false: the stamp may not tell a later change (above)
    QStringList lines;    // decoded, blank ones included
    QList<Line> parsed;   // the non-blank lines in file order
    qint64 bytes = 0;     // an estimate of the memory the entry takes
    // False: only the file's bytes are kept (raw); lines and parsed are empty.
    bool decoded = true;
    QByteArray raw;         // as stored, when !decoded
    bool validUtf8 = false; // raw is well-formed UTF-8 throughout

    // The schedule of a parsed line: what parseSkedLine gives for it.
    TSkedRec record(const Line& line) const;
};
using CachedDayPtr = std::shared_ptr<const CachedDay>;

struct DayRead {
    CachedDayPtr day; // null when the file could not be read
    QString error;    // why, when day is null
};

class DayCache
{
public:
    static constexpr qint64 kDefaultBudget = 8 * 1024 * 1024;

    explicit DayCache(qint64 budgetBytes = kDefaultBudget) : m_budget(budgetBytes) {}

    // The day file `path` of `date`, from memory when its stamp still holds,
    // else read (and parsed) again. `ahead`: for a read ahead (counted apart).
    DayRead read(const QString& path, const QDate& date, bool ahead = false);
    // Drops what is kept of `date` (after the book wrote its file).
    void forget(const QDate& date);

    // What is kept of `date`, decoded or not, without a look at its file
    // (the caller checks its stamp); null when nothing is.
    CachedDayPtr kept(const QDate& date);
    // Keeps the bytes of `date`'s file as read with `stamp`, undecoded, and
    // returns the entry; `trusted` as for an entry read by read().
    CachedDayPtr keepBytes(const QDate& date, const FileStamp& stamp, QByteArrayView bytes, bool trusted);
    // `day` decoded: an undecoded entry is decoded from its bytes (no file is
    // read) and takes its place in the cache.
    CachedDayPtr decoded(const CachedDayPtr& day);

    // For tests and benchmarks.
    qint64 bytes() const;
    int size() const;
    int fileReads() const;
    int aheadReads() const; // of them, those of a read ahead

private:
    void evictOverBudget();
    // Replaces the entry of `date` (under the lock).
    void put(const QDate& date, CachedDayPtr day);

    mutable QMutex m_lock;
    struct Entry {
        CachedDayPtr day;
        quint64 lastUse = 0;
    };
    QHash<QDate, Entry> m_entries;
    qint64 m_budget;
    qint64 m_bytes = 0;
    quint64 m_clock = 0;
    int m_fileReads = 0;
    int m_aheadReads = 0;
};

} // namespace nox
