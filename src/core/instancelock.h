#pragma once
// The lock that keeps one running program per data folder, shared with
// noxtool. It lives outside the data folder, so that a data folder synced
// between machines never carries a lock along: in $XDG_RUNTIME_DIR, else in
// the program folder, else in the temporary folder, named after the data
// folder's canonical path ("nox-<16 hex digits>.lock").
//
// Holding the lock means holding an exclusive flock() on that file; the
// system drops it when the holder ends in any way (also on kill -9), so a
// file left behind (even an empty one, from a process killed while writing
// it) is stale by definition and simply taken over. The file holds the
// holder's process id and host for messages.
#include <QString>
#include <QStringList>

namespace nox
{

class InstanceLock
{
public:
    enum class Result {
        Acquired, // the lock is ours
        Held,     // a running process holds it
        Failed,   // the lock file cannot be made (errorString says why)
    };

    explicit InstanceLock(QString path);
    // Releases the lock and removes its file when held.
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Lock file of a data folder in the first usable place (see above).
    static QString pathFor(const QString& dataFolder);
    // The same name in every place a lock may be, first place first.
    static QStringList candidatePaths(const QString& dataFolder);
    // True when a running process holds any of the candidate locks of the
    // data folder; *pid (when given) is its process id, 0 when unknown.
    static bool isHeldFor(const QString& dataFolder, qint64* pid = nullptr);
    // True when a running process holds the lock at `path`.
    static bool isHeld(const QString& path, qint64* pid = nullptr);

    // Tries once, without waiting. Creates the lock's folder when missing.
    Result tryAcquire();
    void release();
    bool isAcquired() const { return m_fd >= 0; }
    // After Acquired: a lock file was there already, left by a process that
    // ended without removing it; *pid of that process (0 when unknown).
    bool tookOverStale(qint64* pid = nullptr) const;
    // After Held: the holder's process id (0 when unknown).
    qint64 holderPid() const { return m_holderPid; }
    QString path() const { return m_path; }
    QString errorString() const { return m_error; }

private:
    QString m_path;
    int m_fd = -1;
    bool m_stale = false;
    qint64 m_stalePid = 0;
    qint64 m_holderPid = 0;
    QString m_error;
};

} // namespace nox
