#pragma once
// Keeps Nox to one running instance per data folder. The first start takes
// the data folder's lock (core/instancelock.h: a file in the data folder;
// noxtool refuses to write while it is held) and listens on a local socket;
// a later start finds the lock held, asks the first instance through the
// socket to show and raise its window, and ends. A lock left behind by a
// process that ended in any way (killed, or before it wrote its id) is stale
// and taken over. The socket is a Unix domain socket in the abstract
// namespace (no file, so neither $TMPDIR nor $XDG_RUNTIME_DIR changes where
// it is), named after the data folder's canonical path; requests of other
// users are ignored. No network library is loaded for it.
//
// Use at program entry:
//   SingleInstance guard(SingleInstance::lockFilePath(dataFolder),
//                        SingleInstance::serverNameFor(dataFolder));
//   switch (guard.start()) {
//   case SingleInstance::Role::Secondary: if (guard.activatePrimary()) return 0; ... tell the user ...
//   case SingleInstance::Role::Failed:    ... tell the user guard.errorString() ...
//   case SingleInstance::Role::Primary:   connect OnActivateRequest, run ...
//   }
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;

namespace nox
{

class InstanceLock;

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Role {
        Primary,   // the lock is ours; requests of later starts arrive through OnActivateRequest
        Secondary, // another running process holds the lock
        Failed,    // the lock file could not be created (its folder cannot be made or written)
    };

    // `lockPath` is the lock file, `serverName` the local socket's name. Nothing
    // is touched before start().
    SingleInstance(QString lockPath, QString serverName, QObject* parent = nullptr);
    // Stops listening and releases the lock (when held).
    ~SingleInstance() override;

    // The data folder's lock file (InstanceLock::pathFor).
    static QString lockFilePath(const QString& dataFolder);
    // "nox-<32 hex digits>", from the data folder's canonical path alone: every
    // process that opens the folder, whatever its environment, finds it.
    static QString serverNameFor(const QString& dataFolder);

    // Creates the lock file's folder when missing, takes the lock (recovering
    // a stale one) and, when it is ours, starts listening. May be called again
    // after Secondary, e.g. when the primary ended in between; returns Primary
    // at once when already primary.
    Role start();
    bool isPrimary() const { return m_primary; }
    // After Primary: a stale lock was taken over; the text says whose (for stderr).
    QString staleLockNotice() const { return m_staleNotice; }
    // After Secondary: the process id of the running instance (0 when unknown).
    qint64 primaryPid() const { return m_primaryPid; }
    // True when the primary listens for later starts. False for a primary
    // whose socket could not be opened (errorString() says why): it still
    // holds the lock, and later starts then end without reaching it.
    bool isListening() const;

    // For a secondary: asks the primary to show its window. Returns true iff
    // the request was delivered within `timeoutMs` (the primary may still be
    // starting, so connecting is retried until then).
    bool activatePrimary(int timeoutMs = 3000);

    QString errorString() const { return m_error; }
    // Gives up the lock (and removes its file) at once, for an end of the
    // process that runs no destructors (exit() from a library).
    void releaseLock();

    // Raised in the primary for every request of a later start.
    std::function<void(QObject* Sender)> OnActivateRequest;

signals:
    void activateRequested();

private:
    void listen();
    void acceptConnections();
    void readRequests(int fd);
    void closeConnection(int fd);

    QString m_lockPath;
    QString m_serverName;
    std::unique_ptr<InstanceLock> m_lock;
    int m_listenFd = -1;
    QSocketNotifier* m_listenNotifier = nullptr;
    struct Connection {
        QSocketNotifier* notifier = nullptr;
        QByteArray pending; // an incomplete line
    };
    std::map<int, Connection> m_connections;
    bool m_primary = false;
    qint64 m_primaryPid = 0;
    QString m_error;
    QString m_staleNotice;
};

} // namespace nox
