#pragma once
// What the search reads of the day files: the dates that have a day file in a
// period, and the decoded text lines of one day. Kept this small so that the
// schedule book can serve it, with its cache of days, behind the same calls.
#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>

#include "store/skedrec.h"

struct stat;

namespace nox
{

// A day's lines with what searches have parsed of them. A caching source
// keeps one per cached day, so that a repeated search neither splits nor
// parses that day again; the search fills it in as it goes.
struct ParsedDay {
    enum class State { Unparsed, Schedule, Damaged };
    struct Line {
        QString text;
        State state = State::Unparsed;
        TSkedRec rec;   // when Schedule
        QString reason; // when Damaged: why it is not a schedule
    };
    bool split = false; // lines holds every line of the text
    QList<Line> lines;
};

struct DayLines {
    bool ok = true; // false: the file exists but could not be read
    QString path;   // the day file
    QString error;  // why, when !ok (names the file)
    QString text;   // the decoded file (a missing file has none)
    // Set by a caching source; the search may fill it in (one search at a time).
    std::shared_ptr<ParsedDay> parsed;
};

class DayLineSource
{
public:
    virtual ~DayLineSource() = default;
    // Dates of every day file from `from` to `to`, both inclusive; an invalid
    // date leaves that side open. Ascending, which is the order of the files'
    // names.
    virtual QList<QDate> dayFileDates(const QDate& from, const QDate& to) = 0;
    // The day's file, read with the store's reader.
    virtual DayLines dayLines(const QDate& date) = 0;
};

// The day files of one data folder. With caching on, the listing of the
// folder and each day's text (with what searches parsed of it) are kept; the
// folder's change notifications tell which days to look at again, and a day
// is read again when its file's size, modification time or identity has
// changed. Where notifications are not available the folder is listed and
// every file's stamp checked at each dayFileDates call. Not thread-safe: one
// search at a time (from any one thread).
class FolderDaySource : public DayLineSource
{
public:
    explicit FolderDaySource(QString folder, bool cache = false);
    ~FolderDaySource() override;
    FolderDaySource(const FolderDaySource&) = delete;
    FolderDaySource& operator=(const FolderDaySource&) = delete;

    const QString& folder() const { return m_folder; }
    QList<QDate> dayFileDates(const QDate& from, const QDate& to) override;
    DayLines dayLines(const QDate& date) override;

    // Days held in the cache and the characters of their text.
    int cachedDays() const { return int(m_cache.size()); }
    qint64 cachedChars() const;
    void clearCache() { m_cache.clear(); }

private:
    struct FileStamp {
        qint64 size = -1;
        qint64 mtimeNs = -1;
        quint64 inode = 0;
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };
    struct CachedDay {
        FileStamp stamp;
        QString path;
        QString text;
        std::shared_ptr<ParsedDay> parsed;
    };

    QList<QDate> listFolder(const QDate& from, const QDate& to) const;
    void updateListing();
    bool drainNotifications(QSet<qint32>* changed);
    void relistFolder();
    void restat(qint32 day);
    static FileStamp stampOf(const struct stat& st);

    QString m_folder;
    bool m_caching;
    int m_watch = -1; // inotify descriptor
    bool m_listingValid = false;
    std::map<qint32, FileStamp> m_files; // day number -> stamp, every day file
    QHash<qint32, CachedDay> m_cache;    // by day number
};

} // namespace nox
