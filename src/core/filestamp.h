#pragma once
// What identifies a state of a file without reading it, for memories of
// files that must notice when another program changes them (the schedule
// book's parsed days, the settings file).
//
// The file system stamps a modification with the time of its clock tick
// only, so two changes within one tick, in place and to the same size, leave
// the same stamp: a stamp taken while the modification was that recent must
// not be trusted to tell the next change (isSettled() is false).
#include <QString>

struct stat;

namespace nox
{

struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    quint64 inode = 0;
    quint64 device = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;

    // The stamp of `path` now (exists = false when there is no such file).
    static FileStamp of(const QString& path);
    // The stamp of a file's status as the system gave it.
    static FileStamp of(const struct stat& st);
    // True when the file has not been changed for long enough that a later
    // change will show in its stamp (a missing file always is).
    bool isSettled() const;
};

} // namespace nox
