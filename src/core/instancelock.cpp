#include "core/instancelock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nox
{

namespace
{

QString reasonOf(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// The process id and host written in a lock file; 0 and empty when there
// are none.
qint64 pidIn(int fd, QByteArray* host = nullptr)
{
    char buf[320] = {};
    const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
    if (n <= 0) {
        return 0;
    }
    const QList<QByteArray> lines = QByteArray(buf, int(n)).split('\n');
    if (host) {
        *host = lines.value(1).trimmed();
    }
    return lines.value(0).trimmed().toLongLong();
}

int openLockFile(const QString& path, bool create)
{
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), (create ? O_RDWR | O_CREAT : O_RDONLY) | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// True when `fd` is still the file that `path` names (a holder that ended
// removes the file; a lock on the removed file keeps nobody out).
bool namesSameFile(int fd, const QString& path)
{
    struct stat held {
    };
    struct stat named {
    };
    return ::fstat(fd, &held) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           held.st_ino == named.st_ino && held.st_dev == named.st_dev;
}

} // namespace

InstanceLock::InstanceLock(QString path) : m_path(std::move(path)) {}

InstanceLock::~InstanceLock()
{
    release();
}

QString InstanceLock::pathFor(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(QLatin1String(kFileName));
}

bool InstanceLock::isHeld(const QString& path, qint64* pid)
{
    const int fd = openLockFile(path, false);
    if (fd < 0) {
        return false;
    }
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (held && pid) {
        *pid = pidIn(fd);
    }
    ::close(fd);
    return held;
}

bool InstanceLock::isHeldFor(const QString& dataFolder, qint64* pid)
{
    return isHeld(pathFor(dataFolder), pid);
}

InstanceLock::Result InstanceLock::tryAcquire()
{
    if (m_fd >= 0) {
        return Result::Acquired;
    }
    m_error.clear();
    m_stale = false;
    m_holderPid = 0;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    for (int attempt = 0; attempt < 8; ++attempt) {
        const bool existed = QFileInfo::exists(m_path);
        const int fd = openLockFile(m_path, true);
        if (fd < 0) {
            m_error = QStringLiteral("ロックファイル「%1」を作成できません: %2").arg(m_path, reasonOf(errno));
            return Result::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            m_holderPid = pidIn(fd);
            ::close(fd);
            if (err == EWOULDBLOCK) {
                return Result::Held;
            }
            m_error = QStringLiteral("ロックファイル「%1」をロックできません: %2").arg(m_path, reasonOf(err));
            return Result::Failed;
        }
        if (!namesSameFile(fd, m_path)) {
            ::close(fd); // its holder removed it while we opened it: try the new one
            continue;
        }
        QByteArray host;
        m_stalePid = pidIn(fd, &host);
        m_stale = existed && (host.isEmpty() || host == QSysInfo::machineHostName().toUtf8());
        // Only for messages: without them the lock holds all the same.
        const QByteArray info =
            QByteArray::number(::getpid()) + '\n' + QSysInfo::machineHostName().toUtf8() + '\n';
        const bool noted =
            ::ftruncate(fd, 0) == 0 && ::pwrite(fd, info.constData(), size_t(info.size()), 0) > 0;
        Q_UNUSED(noted);
        m_fd = fd;
        return Result::Acquired;
    }
    m_error = QStringLiteral("ロックファイル「%1」が置き換えられ続けています").arg(m_path);
    return Result::Failed;
}

void InstanceLock::release()
{
    if (m_fd < 0) {
        return;
    }
    // Removed while still locked, so that nobody takes the file being removed.
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
}

bool InstanceLock::tookOverStale(qint64* pid) const
{
    if (pid) {
        *pid = m_stalePid;
    }
    return m_stale;
}

} // namespace nox
