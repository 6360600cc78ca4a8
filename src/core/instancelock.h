#pragma once
// The lock that keeps one running program per data folder, shared with
// noxtool: the file "nox.lock" in the data folder itself, so that every
// process that opens the folder meets it whatever its environment
// ($XDG_RUNTIME_DIR, $TMPDIR, the login it runs under).
//
// Holding the lock means holding an exclusive flock() on that file for the
// life of the process; the system drops it when the holder ends in any way
// (also on kill -9), so a file left behind (even an empty one, from a
// process killed while writing it) is not held by anyone and simply taken
// over. A tool that syncs the folder to another machine copies the file's
// bytes, never the lock: the copy keeps nobody out there. The file holds the
// holder's process id and host, for messages only.
#include <QString>

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

    static constexpr const char* kFileName = "nox.lock";
    // The lock file of a data folder.
    static QString pathFor(const QString& dataFolder);
    // True when a running process holds the lock of the data folder; *pid
    // (when given) is its process id, 0 when unknown.
    static bool isHeldFor(const QString& dataFolder, qint64* pid = nullptr);
    // True when a running process holds the lock at `path`.
    static bool isHeld(const QString& path, qint64* pid = nullptr);

    // Tries once, without waiting. Creates the lock's folder when missing.
    Result tryAcquire();
    void release();
    bool isAcquired() const { return m_fd >= 0; }
    // After Acquired: a lock file was there already, left by a process of
    // this machine that ended without removing it; *pid of that process (0
    // when unknown). A file that names another host is a synced copy and
    // does not count.
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
