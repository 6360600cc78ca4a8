#pragma once
// What the search reads of the day files: the dates that have a day file in a
// period, and the decoded text lines of one day. Kept this small so that the
// schedule book can serve it, with its cache of days, behind the same calls.
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace nox
{

struct DayLines {
    bool ok = true; // false: the file exists but could not be read
    QString path;   // the day file
    QString error;  // why, when !ok (names the file)
    QString text;   // the decoded file (a missing file has none)
    // The lines of the text, in file order.
    QStringList lines() const;
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

// The day files of one data folder. With caching on, each day's lines are
// kept after the first read and read again only when the file's size or
// modification time has changed (checked at every dayFileDates call, which
// lists the folder). Not thread-safe: one search at a time.
class FolderDaySource : public DayLineSource
{
public:
    explicit FolderDaySource(QString folder, bool cache = false);

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
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };
    struct CachedDay {
        FileStamp stamp;
        QString text;
    };

    QString m_folder;
    bool m_caching;
    QHash<qint32, FileStamp> m_listed; // stamps seen by the last listing
    QHash<qint32, CachedDay> m_cache;  // by day number
};

} // namespace nox
