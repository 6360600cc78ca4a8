#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

#include "core/folders.h"

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
    if (m_lock) {
        m_lock->unlock();
    }
}

QString SingleInstance::lockFilePath(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("nox.lock"));
}

QString SingleInstance::serverNameFor(const QString& dataFolder)
{
    const QString canonical = QFileInfo(dataFolder).absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("Nox-%1-%2").arg(folders::userName(), QString::fromLatin1(hash.left(8)));
}

SingleInstance::Role SingleInstance::start()
{
    if (m_primary) {
        return Role::Primary;
    }
    // On a first start the data folder may not exist yet.
    QDir().mkpath(QFileInfo(m_lockPath).absolutePath());
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // A running instance holds the lock for days: never treat it as stale by
    // age. A lock whose process is gone is still recognised as stale.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        m_primary = true;
        m_error.clear();
        listen();
        return Role::Primary;
    }
    const QLockFile::LockError error = m_lock->error();
    m_lock.reset();
    if (error == QLockFile::LockFailedError) {
        return Role::Secondary;
    }
    m_error = error == QLockFile::PermissionError
                  ? QStringLiteral("ロックファイルを作成できません: %1").arg(m_lockPath)
                  : QStringLiteral("ロックファイルを扱えません: %1").arg(m_lockPath);
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
