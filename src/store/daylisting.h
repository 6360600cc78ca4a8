#pragma once
// DayListing: the schedule book's list of the day files of its folder with
// the stamp of each (core/filestamp.h), for passes over many days (the
// search). Private to the book (store/schedulebook.cpp).
//
// The list is made once and then kept up to date from the folder's change
// notifications, so that a repeated pass neither lists the folder nor looks
// at thousands of files: only the files named in a notification are looked
// at again. Without notifications (none to be had, or their queue
// overflowed) the folder is listed again, with a stat of every file, at
// every sync(). Thread-safe.
#include <QDate>
#include <QList>
#include <QMutex>
#include <QString>
#include <functional>
#include <map>

#include "core/filestamp.h"

namespace nox
{

class DayListing
{
public:
    explicit DayListing(QString folder);
    ~DayListing();
    DayListing(const DayListing&) = delete;
    DayListing& operator=(const DayListing&) = delete;

    // Brings the list up to date; `changed` is told every day whose file a
    // notification named since the last sync (every listed day when
    // notifications were lost).
    void sync(const std::function<void(const QDate&)>& changed);
    // The listed dates from..to (an invalid date leaves that side open), ascending.
    QList<QDate> dates(const QDate& from, const QDate& to) const;
    // The stamp the list holds of the day's file (exists = false: not listed).
    FileStamp stamp(const QDate& date) const;
    // True while notifications keep the list: a file changed after it was
    // read is then named by the next sync(), whatever its stamp.
    bool watched() const;

private:
    bool drainNotifications(QList<QDate>* changed);
    void relistFolder();
    void restat(const QDate& date);

    QString m_folder;
    mutable QMutex m_lock;
    int m_watch = -1; // inotify descriptor
    bool m_valid = false;
    std::map<qint64, FileStamp> m_files; // Julian day -> stamp
};

} // namespace nox
