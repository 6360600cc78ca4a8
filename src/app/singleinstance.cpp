#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include "core/folders.h"
#include "core/instancelock.h"

namespace nox
{

namespace
{

const QByteArray kActivateRequest = QByteArrayLiteral("activate\n");

} // namespace

SingleInstance::SingleInstance(QString lockPath, QString serverName, QObject* parent)
    : QObject(parent), m_lockPath(std::move(lockPath)), m_serverName(std::move(serverName))
{
}

SingleInstance::~SingleInstance()
{
    if (m_server) {
        m_server->close();
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
    const QByteArray hash = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("Nox-%1-%2").arg(folders::userName(), QString::fromLatin1(hash.left(8)));
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
            m_staleNotice = QStringLiteral("終了済みのプロセス%1が残したロック「%2」を引き継ぎました")
                                .arg(pid > 0 ? QStringLiteral(" (%1)").arg(pid) : QString(), m_lockPath);
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

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::listen()
{
    // We hold the lock, so a socket of this name can only be a leftover of a
    // killed instance.
    QLocalServer::removeServer(m_serverName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName)) {
        m_error = m_server->errorString();
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readRequest = [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() != kActivateRequest) {
                    continue; // not ours: ignore
                }
                emit activateRequested();
                if (OnActivateRequest) {
                    OnActivateRequest(this);
                }
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        readRequest(); // data may have arrived with the connection
    }
}

bool SingleInstance::activatePrimary(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    forever
    {
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime())))) {
            break;
        }
        if (deadline.hasExpired()) {
            m_error = socket.errorString();
            return false;
        }
        QThread::msleep(50); // the primary may not be listening yet
    }
    socket.write(kActivateRequest);
    const bool written = socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())));
    socket.disconnectFromServer();
    if (!written) {
        m_error = socket.errorString();
    }
    return written;
}

} // namespace nox
