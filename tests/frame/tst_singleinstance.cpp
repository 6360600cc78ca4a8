#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include "app/singleinstance.h"

#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using nox::SingleInstance;
using Role = SingleInstance::Role;

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void secondObjectActivatesFirst();
    void lockIsReleasedWithTheFirst();
    void secondProcessActivatesFirst();
    void firstProcessIsActivatedFromHere();
    void staleLockAfterKillIsRecovered();
    void emptyLockFileIsTakenOver();
    void silentHolderIsNotTakenOver();
    void unusableFolderFails();
    void serverNamesDifferPerDataFolder();
    void socketIsPrivateAndIgnoresStrangers();
    void folderAloneDecides_data();
    void folderAloneDecides();

private:
    QString lockPath() const { return m_dir->filePath(QStringLiteral("nox.lock")); }
    bool startHolder(QProcess& holder, const QString& mode = QStringLiteral("hold"));

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_server;
};

void TestSingleInstance::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // A fresh socket name per test, so that test runs never meet.
    m_server = QStringLiteral("nox-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

bool TestSingleInstance::startHolder(QProcess& holder, const QString& mode)
{
    holder.start(QStringLiteral(NOX_INSTANCE_HELPER), {mode, lockPath(), m_server});
    if (!holder.waitForStarted(5000) || !holder.waitForReadyRead(5000)) {
        return false;
    }
    return holder.readLine().trimmed() == "primary";
}

void TestSingleInstance::secondObjectActivatesFirst()
{
    SingleInstance first(lockPath(), m_server);
    int handlerCalls = 0;
    first.OnActivateRequest = [&](QObject* sender) {
        QCOMPARE(sender, &first);
        ++handlerCalls;
    };
    QSignalSpy spy(&first, &SingleInstance::activateRequested);
    QCOMPARE(first.start(), Role::Primary);
    QVERIFY(first.isListening());
    QVERIFY(QFile::exists(lockPath()));

    SingleInstance second(lockPath(), m_server);
    QCOMPARE(second.start(), Role::Secondary);
    QVERIFY(!second.isPrimary());
    QVERIFY(second.activatePrimary(2000));
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(handlerCalls, 1);

    // A second request on a new connection arrives as well.
    QVERIFY(second.activatePrimary(2000));
    QTRY_COMPARE(spy.count(), 2);
}

void TestSingleInstance::lockIsReleasedWithTheFirst()
{
    auto first = std::make_unique<SingleInstance>(lockPath(), m_server);
    QCOMPARE(first->start(), Role::Primary);
    SingleInstance second(lockPath(), m_server);
    QCOMPARE(second.start(), Role::Secondary);
    first.reset();
    QVERIFY(!QFile::exists(lockPath()));
    // The later start takes over when the first has ended in between.
    QCOMPARE(second.start(), Role::Primary);
    QVERIFY(second.isListening());
    QCOMPARE(second.start(), Role::Primary);
}

void TestSingleInstance::secondProcessActivatesFirst()
{
    SingleInstance first(lockPath(), m_server);
    QSignalSpy spy(&first, &SingleInstance::activateRequested);
    QCOMPARE(first.start(), Role::Primary);

    QProcess second;
    second.start(QStringLiteral(NOX_INSTANCE_HELPER), {QStringLiteral("activate"), lockPath(), m_server});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 2);
    QTRY_COMPARE(spy.count(), 1);
    QVERIFY(first.isPrimary());
}

void TestSingleInstance::firstProcessIsActivatedFromHere()
{
    QProcess holder;
    QVERIFY(startHolder(holder));
    SingleInstance here(lockPath(), m_server);
    QCOMPARE(here.start(), Role::Secondary);
    QVERIFY(here.activatePrimary(3000));
    QVERIFY(holder.waitForReadyRead(5000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("activated"));
    holder.kill();
    holder.waitForFinished(5000);
}

void TestSingleInstance::staleLockAfterKillIsRecovered()
{
    QProcess holder;
    QVERIFY(startHolder(holder));
    SingleInstance here(lockPath(), m_server);
    QCOMPARE(here.start(), Role::Secondary);

    holder.kill(); // SIGKILL: lock file and socket stay behind
    QVERIFY(holder.waitForFinished(5000));
    QVERIFY(QFile::exists(lockPath()));

    QSignalSpy spy(&here, &SingleInstance::activateRequested);
    QCOMPARE(here.start(), Role::Primary);
    QVERIFY(here.isListening());
    // The left-over socket was replaced: a later start reaches us.
    SingleInstance later(lockPath(), m_server);
    QCOMPARE(later.start(), Role::Secondary);
    QVERIFY(later.activatePrimary(2000));
    QTRY_COMPARE(spy.count(), 1);
}

// A process killed between creating the lock file and writing its id left
// an empty file: nobody holds it, so the next start takes it over and says so.
void TestSingleInstance::emptyLockFileIsTakenOver()
{
    QFile empty(lockPath());
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    SingleInstance here(lockPath(), m_server);
    QCOMPARE(here.start(), Role::Primary);
    QVERIFY(here.staleLockNotice().contains(lockPath()));
    QVERIFY(here.isListening());
}

// A running holder that does not answer is not stale: a later start stays
// secondary, and its request fails (the program then tells the user).
void TestSingleInstance::silentHolderIsNotTakenOver()
{
    QProcess holder;
    QVERIFY(startHolder(holder, QStringLiteral("hold-silent")));
    SingleInstance here(lockPath(), m_server);
    QCOMPARE(here.start(), Role::Secondary);
    QCOMPARE(here.primaryPid(), holder.processId());
    QVERIFY(!here.activatePrimary(300));
    QVERIFY(!here.errorString().isEmpty());
    QCOMPARE(here.start(), Role::Secondary);
    holder.kill();
    QVERIFY(holder.waitForFinished(5000));
    QCOMPARE(here.start(), Role::Primary);
    QVERIFY(!here.staleLockNotice().isEmpty());
}

void TestSingleInstance::unusableFolderFails()
{
    // A first start creates the data folder for its lock.
    SingleInstance fresh(m_dir->filePath(QStringLiteral("new/user/nox.lock")), m_server);
    QCOMPARE(fresh.start(), Role::Primary);

    // A folder that cannot exist (a file is in the way) fails with a message.
    QFile blocker(m_dir->filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SingleInstance guard(m_dir->filePath(QStringLiteral("file/user/nox.lock")), m_server + QLatin1Char('x'));
    QCOMPARE(guard.start(), Role::Failed);
    QVERIFY(!guard.errorString().isEmpty());
    QVERIFY(!guard.isPrimary());
}

void TestSingleInstance::serverNamesDifferPerDataFolder()
{
    const QString a = SingleInstance::serverNameFor(m_dir->filePath(QStringLiteral("a")));
    const QString b = SingleInstance::serverNameFor(m_dir->filePath(QStringLiteral("b")));
    QVERIFY(a.startsWith(QStringLiteral("nox-")));
    QVERIFY(a != b);
    QCOMPARE(SingleInstance::serverNameFor(m_dir->filePath(QStringLiteral("a"))), a);
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("a"))));
    QCOMPARE(SingleInstance::serverNameFor(m_dir->filePath(QStringLiteral("a/../a"))), a);
    // The lock is a file in the data folder itself.
    const QString lockA = SingleInstance::lockFilePath(m_dir->filePath(QStringLiteral("a")));
    QCOMPARE(QFileInfo(lockA).absolutePath(),
             QFileInfo(m_dir->filePath(QStringLiteral("a"))).absoluteFilePath());
    QVERIFY(lockA != SingleInstance::lockFilePath(m_dir->filePath(QStringLiteral("b"))));
}

// A second start finds the first through the data folder alone: with or
// without $XDG_RUNTIME_DIR, with another temporary folder.
void TestSingleInstance::folderAloneDecides_data()
{
    QTest::addColumn<bool>("firstHasRuntime");
    QTest::addColumn<bool>("secondHasRuntime");
    QTest::newRow("first with, second without") << true << false;
    QTest::newRow("first without, second with") << false << true;
    QTest::newRow("both with, different ones") << true << true;
}

void TestSingleInstance::folderAloneDecides()
{
    QFETCH(bool, firstHasRuntime);
    QFETCH(bool, secondHasRuntime);
    const QString folder = m_dir->filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(folder));
    const auto environment = [&](bool runtime, const QString& name) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString own = m_dir->filePath(name);
        QDir().mkpath(own);
        env.insert(QStringLiteral("TMPDIR"), own);
        if (runtime) {
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), own);
        } else {
            env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        }
        return env;
    };
    QProcess first;
    first.setProcessEnvironment(environment(firstHasRuntime, QStringLiteral("one")));
    first.start(QStringLiteral(NOX_INSTANCE_HELPER),
                {QStringLiteral("hold-folder"), folder, QStringLiteral("-")});
    QVERIFY(first.waitForStarted(5000) && first.waitForReadyRead(5000));
    QCOMPARE(first.readLine().trimmed(), QByteArray("primary"));
    QVERIFY(QFile::exists(folder + QStringLiteral("/nox.lock")));

    QProcess second;
    second.setProcessEnvironment(environment(secondHasRuntime, QStringLiteral("two")));
    second.start(QStringLiteral(NOX_INSTANCE_HELPER),
                 {QStringLiteral("activate-folder"), folder, QStringLiteral("-")});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 2); // found the first and reached it
    QVERIFY(first.waitForReadyRead(5000));
    QCOMPARE(first.readLine().trimmed(), QByteArray("activated"));
    first.kill();
    first.waitForFinished(5000);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
// Only the user's own processes are heard, a stranger's bytes (no request,
// or a request split over two writes) do what they say, and nothing of the
// socket is left in any folder.
void TestSingleInstance::socketIsPrivateAndIgnoresStrangers()
{
    const auto connectTo = [&]() {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = m_server.toUtf8();
        std::memcpy(address.sun_path + 1, name.constData(), size_t(name.size()));
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(name.size()));
        return ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 ? fd : (::close(fd), -1);
    };
    SingleInstance first(lockPath(), m_server);
    QSignalSpy spy(&first, &SingleInstance::activateRequested);
    QCOMPARE(first.start(), Role::Primary);
    QVERIFY(!QFile::exists(QDir::temp().filePath(m_server)));

    const auto send = [&](const QList<QByteArray>& parts) {
        const int fd = connectTo();
        QVERIFY(fd >= 0);
        for (const QByteArray& part : parts) {
            QCOMPARE(::write(fd, part.constData(), size_t(part.size())), ssize_t(part.size()));
            QTest::qWait(20);
        }
        ::close(fd);
    };
    send({QByteArray("hello\n"), QByteArray(4000, 'x')});
    QTest::qWait(100);
    QCOMPARE(spy.count(), 0);
    send({QByteArray("acti"), QByteArray("vate\n")});
    QTRY_COMPARE(spy.count(), 1);

    // Another user's request is dropped (needs the right to become another user).
    if (::geteuid() == 0) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setuid(65534) != 0) {
                ::_exit(3);
            }
            const int fd = connectTo();
            const bool sent = fd >= 0 && ::write(fd, "activate\n", 9) == 9;
            ::_exit(sent ? 0 : 4);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 0);
        QTest::qWait(200);
        QCOMPARE(spy.count(), 1);
    }
}

#include "tst_singleinstance.moc"
