#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "core/folders.h"
#include "core/instancelock.h"

namespace nox
{

namespace
{

const QByteArray kActivateRequest = QByteArrayLiteral("activate\n");

} // namespace

namespace
{

// Retries a call that a signal interrupted.
template <typename Call> auto retrying(Call call)
{
    for (;;) {
        const auto r = call();
        if (r >= 0 || errno != EINTR) {
            return r;
        }
    }
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The abstract-namespace address of `name` (a leading zero byte, then the
// name without a terminator) and its length; 0 when the name does not fit.
socklen_t addressOf(const QString& name, sockaddr_un* address)
{
    const QByteArray bytes = name.toUtf8();
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    if (bytes.isEmpty() || size_t(bytes.size()) >= sizeof address->sun_path) {
        return 0;
    }
    std::memcpy(address->sun_path + 1, bytes.constData(), size_t(bytes.size()));
    return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(bytes.size()));
}

// True when the process at the other end of `fd` runs as our user.
bool peerIsOurUser(int fd)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::geteuid();
}

} // namespace

SingleInstance::SingleInstance(QString lockPath, QString serverName, QObject* parent)
    : QObject(parent), m_lockPath(std::move(lockPath)), m_serverName(std::move(serverName))
{
}

SingleInstance::~SingleInstance()
{
    for (auto& [fd, connection] : m_connections) {
        delete connection.notifier;
        ::close(fd);
    }
    if (m_listenFd >= 0) {
        delete m_listenNotifier;
        ::close(m_listenFd);
    }
    m_lock.reset();
}

QString SingleInstance::lockFilePath(const QString& dataFolder)
{
    return InstanceLock::pathFor(dataFolder);
}

QString SingleInstance::serverNameFor(const QString& dataFolder)
{
    const QFileInfo info(dataFolder);
    const QString canonical =
        info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(canonical), QCryptographicHash::Sha256).toHex();
    return QStringLiteral("nox-%1").arg(QString::fromLatin1(hash.left(32)));
}

SingleInstance::Role SingleInstance::start()
{
    if (m_primary) {
        return Role::Primary;
    }
    m_lock = std::make_unique<InstanceLock>(m_lockPath);
    switch (m_lock->tryAcquire()) {
    case InstanceLock::Result::Acquired: {
        m_primary = true;
        m_error.clear();
        qint64 pid = 0;
        if (m_lock->tookOverStale(&pid)) {
            m_staleNotice =
                QStringLiteral("前回の Nox%1 は終了の処理をしないまま終わっていました。\n"
                               "残っていたロック「%2」を引き継いで起動しました。")
                    .arg(pid > 0 ? QStringLiteral(" (プロセス %1)").arg(pid) : QString(), m_lockPath);
        }
        listen();
        return Role::Primary;
    }
    case InstanceLock::Result::Held:
        m_primaryPid = m_lock->holderPid();
        m_lock.reset();
        return Role::Secondary;
    case InstanceLock::Result::Failed:
        break;
    }
    m_error = m_lock->errorString();
    m_lock.reset();
    return Role::Failed;
}

void SingleInstance::releaseLock()
{
    m_lock.reset();
}

bool SingleInstance::isListening() const
{
    return m_listenFd >= 0;
}

void SingleInstance::listen()
{
    sockaddr_un address{};
    const socklen_t length = addressOf(m_serverName, &address);
    if (length == 0) {
        m_error = QStringLiteral("ソケットの名前「%1」が長すぎます").arg(m_serverName);
        return;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        m_error = QStringLiteral("ソケットを作れません: %1").arg(systemError(errno));
        return;
    }
    // An abstract socket goes with the last process that has it open: a
    // killed instance leaves nothing behind. Anyone may connect; accept()
    // drops the connections of other users.
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || ::listen(fd, 8) != 0) {
        m_error =
            QStringLiteral("ソケット「%1」で待ち受けできません: %2").arg(m_serverName, systemError(errno));
        ::close(fd);
        return;
    }
    m_listenFd = fd;
    m_listenNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_listenNotifier, &QSocketNotifier::activated, this, &SingleInstance::acceptConnections);
}

void SingleInstance::acceptConnections()
{
    for (;;) {
        const int fd =
            retrying([&] { return ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK); });
        if (fd < 0) {
            return; // none waiting (or a failed one: the listening socket stays)
        }
        if (!peerIsOurUser(fd)) {
            ::close(fd);
            continue;
        }
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        m_connections[fd].notifier = notifier;
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { readRequests(fd); });
        readRequests(fd); // data may have arrived with the connection
    }
}

// Every complete line is a request; a later start sends one and closes.
void SingleInstance::readRequests(int fd)
{
    const auto it = m_connections.find(fd);
    if (it == m_connections.end()) {
        return;
    }
    constexpr qsizetype kLongestRequest = 256; // anything longer is not ours
    char buffer[512];
    int requests = 0;
    bool closed = false;
    for (;;) {
        const ssize_t n = retrying([&] { return ::read(fd, buffer, sizeof buffer); });
        if (n <= 0) {
            closed = n == 0 || errno != EAGAIN;
            break;
        }
        QByteArray& pending = it->second.pending;
        pending.append(buffer, n);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            requests += pending.left(end + 1) == kActivateRequest ? 1 : 0;
            pending.remove(0, end + 1);
        }
        if (pending.size() > kLongestRequest) {
            closed = true;
            break;
        }
    }
    if (closed) {
        closeConnection(fd);
    }
    for (int i = 0; i < requests; ++i) {
        emit activateRequested();
        if (OnActivateRequest) {
            OnActivateRequest(this);
        }
    }
}

void SingleInstance::closeConnection(int fd)
{
    const auto it = m_connections.find(fd);
    if (it != m_connections.end()) {
        it->second.notifier->setEnabled(false);
        it->second.notifier->deleteLater();
        m_connections.erase(it);
        ::close(fd);
    }
}

bool SingleInstance::activatePrimary(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    sockaddr_un address{};
    const socklen_t length = addressOf(m_serverName, &address);
    if (length == 0) {
        m_error = QStringLiteral("ソケットの名前「%1」が長すぎます").arg(m_serverName);
        return false;
    }
    for (;;) {
        // Non-blocking: a primary that does not accept (its queue full)
        // makes connect fail at once with EAGAIN instead of hanging.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            m_error = QStringLiteral("ソケットを作れません: %1").arg(systemError(errno));
            return false;
        }
        if (retrying([&] { return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length); }) ==
            0) {
            // A few bytes always fit into a new connection's buffer.
            const ssize_t written = retrying([&] {
                return ::send(fd, kActivateRequest.constData(), size_t(kActivateRequest.size()),
                              MSG_NOSIGNAL);
            });
            const int error = errno;
            ::close(fd);
            if (written == kActivateRequest.size()) {
                return true;
            }
            m_error = QStringLiteral("起動中の Nox に伝えられません: %1").arg(systemError(error));
            return false;
        }
        const int error = errno;
        ::close(fd);
        if (deadline.hasExpired()) {
            m_error = QStringLiteral("起動中の Nox に接続できません (%1): %2")
                          .arg(m_serverName, systemError(error));
            return false;
        }
        // The primary may not be listening yet.
        QThread::msleep(quint64(qMin<qint64>(50, qMax<qint64>(1, deadline.remainingTime()))));
    }
}

} // namespace nox
