// Start-up around the main window: conversions of older data run by the
// deferred start-up, and the program as a process (single instance, no display).
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <csignal>

#include "core/folders.h"
#include "core/inifile.h"
#include "core/textfile.h"
#include "mainformfixture.h"
#include "sked/skedcontrol.h"
#include "store/memostore.h"

using namespace nox;

namespace
{

QString noxProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/nox");
}

// The program's folder is `home`; with `runtime` its $XDG_RUNTIME_DIR (and
// temporary folder) is "<home>/<runtime>", without it has none.
QProcessEnvironment environmentFor(const QString& home, const QString& runtime = QStringLiteral("run"))
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("NOX_HOME"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty()) {
        QDir().mkpath(home + u'/' + runtime);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + u'/' + runtime);
        env.insert(QStringLiteral("TMPDIR"), home + u'/' + runtime);
    }
    return env;
}

QString dataFolderOf(const QString& home)
{
    const QByteArray before = qgetenv("NOX_HOME");
    qputenv("NOX_HOME", home.toUtf8());
    folders::resetCache();
    const QString folder = folders::dataFolder();
    qputenv("NOX_HOME", before);
    folders::resetCache();
    return folder;
}

bool hasLock(const QString& home)
{
    return QFile::exists(dataFolderOf(home) + QStringLiteral("/nox.lock"));
}

// Waits until the program has run its deferred start-up (it opens the memo file).
bool startedIn(const QString& home)
{
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(dataFolderOf(home) + QStringLiteral("/memo.nox")) || !hasLock(home)) {
        if (waited.elapsed() > 15000) {
            return false;
        }
        QTest::qWait(50);
    }
    QTest::qWait(300);
    return true;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void dayFileUpdatePassRenumbersOldData_data();
    void dayFileUpdatePassRenumbersOldData();
    void secondStartHandsOverAndEnds_data();
    void secondStartHandsOverAndEnds();
    void signalsEndThroughTheShutdown_data();
    void signalsEndThroughTheShutdown();
    void typedMemoSurvivesTheEnd_data();
    void typedMemoSurvivesTheEnd();
    void noDisplayIsReportedNotCrashed();
    void helpAndVersionPrintAndEnd_data();
    void helpAndVersionPrintAndEnd();
};

void TestStartup::dayFileUpdatePassRenumbersOldData_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("converted");
    QTest::newRow("2.03 is updated") << QStringLiteral("2.03") << true;
    QTest::newRow("2.00 is updated") << QStringLiteral("2.00") << true;
    QTest::newRow("2.05 is left alone") << QStringLiteral("2.05") << false;
    QTest::newRow("2.00β5 is left alone") << QStringLiteral("2.00β5") << false;
}

void TestStartup::dayFileUpdatePassRenumbersOldData()
{
    QFETCH(QString, version);
    QFETCH(bool, converted);
    MainFormFixture f;
    f.writeFile(
        QStringLiteral("20260311.dat"),
        "16\t17\tclBlack\tclBlack\t0\t-1\t99\t\tone\t\r\n18\t19\tclBlack\tclBlack\t0\t-1\t99\t\ttwo\t\r\n");
    IniFile(f.dataFile(QStringLiteral("Nox.ini")))
        .writeString(QStringLiteral("nox"), QStringLiteral("version"), version);
    TNoxMainForm* form = f.start();
    const QStringList lines = readTextLines(f.dataFile(QStringLiteral("20260311.dat")))->lines;
    QCOMPARE(lines.size(), 2);
    if (converted) {
        QCOMPARE(lines.at(0).split(QLatin1Char('\t')).size(), 13);
        QCOMPARE(lines.at(0).split(QLatin1Char('\t')).at(6), QStringLiteral("1"));
        QCOMPARE(lines.at(1).split(QLatin1Char('\t')).at(6), QStringLiteral("2"));
    } else {
        QCOMPARE(lines.at(0).split(QLatin1Char('\t')).size(), 10);
    }
    // The view shows both schedules either way.
    QCOMPARE(form->skedControl()->Skeds(0)->Items().Count(), 2);
    f.stop();
    QCOMPARE(IniFile(f.dataFile(QStringLiteral("Nox.ini")))
                 .readString(QStringLiteral("nox"), QStringLiteral("version"), QString()),
             QStringLiteral("2.05"));
}

// One program per data folder, whatever the environment of the later start:
// it hands over to the first and ends.
void TestStartup::secondStartHandsOverAndEnds_data()
{
    QTest::addColumn<QString>("firstRuntime");
    QTest::addColumn<QString>("secondRuntime");
    QTest::newRow("same") << "run"
                          << "run";
    QTest::newRow("second without XDG_RUNTIME_DIR") << "run"
                                                    << "";
    QTest::newRow("first without XDG_RUNTIME_DIR") << ""
                                                   << "run";
    QTest::newRow("different ones") << "run"
                                    << "other";
}

void TestStartup::secondStartHandsOverAndEnds()
{
    QFETCH(QString, firstRuntime);
    QFETCH(QString, secondRuntime);
    QTemporaryDir home;
    QProcess first;
    first.setProcessEnvironment(environmentFor(home.path(), firstRuntime));
    first.start(noxProgram(), {});
    QVERIFY(first.waitForStarted());
    QVERIFY(startedIn(home.path()));
    QProcess second;
    second.setProcessEnvironment(environmentFor(home.path(), secondRuntime));
    second.start(noxProgram(), {});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);
    QVERIFY(hasLock(home.path())); // the second took nothing away
    first.terminate();
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QVERIFY(!hasLock(home.path()));
}

// SIGTERM (the session's end), SIGHUP and SIGINT end the program through its
// shutdown: the settings are written and the lock goes.
void TestStartup::signalsEndThroughTheShutdown_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestStartup::signalsEndThroughTheShutdown()
{
    QFETCH(int, signalNumber);
    QTemporaryDir home;
    const QString data = dataFolderOf(home.path());
    QProcess nox;
    nox.setProcessEnvironment(environmentFor(home.path()));
    nox.start(noxProgram(), {});
    QVERIFY(nox.waitForStarted());
    QVERIFY(startedIn(home.path()));
    QFile::remove(data + QStringLiteral("/Nox.ini"));
    QCOMPARE(::kill(pid_t(nox.processId()), signalNumber), 0);
    QVERIFY(nox.waitForFinished(10000));
    QCOMPARE(nox.exitStatus(), QProcess::NormalExit);
    QCOMPARE(nox.exitCode(), 0);
    const IniFile ini(data + QStringLiteral("/Nox.ini"));
    QCOMPARE(ini.readString(QStringLiteral("nox"), QStringLiteral("version"), QString()),
             QStringLiteral("2.05"));
    QCOMPARE(ini.readString(QStringLiteral("sked"), QStringLiteral("count"), QString()), QStringLiteral("5"));
    QVERIFY(!hasLock(home.path()));
}

// A day memo typed into the window (on an X server of its own) is on disk
// when the session ends the program with SIGTERM or the display goes away,
// both well within the pause after which the pane saves by itself.
void TestStartup::typedMemoSurvivesTheEnd_data()
{
    QTest::addColumn<bool>("displayLost");
    QTest::newRow("SIGTERM") << false;
    QTest::newRow("display lost") << true;
}

void TestStartup::typedMemoSurvivesTheEnd()
{
    QFETCH(bool, displayLost);
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        QSKIP("needs Xvfb and xdotool");
    }
    QProcess server;
    server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1024x768x24")});
    QVERIFY(server.waitForStarted() && server.waitForReadyRead(10000));
    const QString display = QLatin1Char(':') + QString::fromLatin1(server.readLine().trimmed());
    QProcessEnvironment xenv = QProcessEnvironment::systemEnvironment();
    xenv.insert(QStringLiteral("DISPLAY"), display);
    const auto xdotool = [&](const QStringList& args) {
        QProcess tool;
        tool.setProcessEnvironment(xenv);
        tool.start(QStringLiteral("xdotool"), args);
        tool.waitForFinished(10000);
        return QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
    };

    QTemporaryDir home;
    const QString data = dataFolderOf(home.path());
    QProcessEnvironment env = environmentFor(home.path());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("DISPLAY"), display);
    QProcess nox;
    nox.setProcessEnvironment(env);
    nox.start(noxProgram(), {});
    QVERIFY(nox.waitForStarted());
    QVERIFY(startedIn(home.path()));
    const QString window = xdotool({"search", "--sync", "--name", "^Nox - ver"}).section(u'\n', 0, 0);
    QVERIFY(!window.isEmpty());
    // The first memo pane lies under the first day column, above the status bar.
    xdotool({"mousemove", "--window", window, "60", "400", "click", "1"});
    xdotool({"type", "--delay", "20", "typed memo"});
    QTest::qWait(300);
    QFile::remove(data + QStringLiteral("/Nox.ini"));
    if (displayLost) {
        server.kill();
    } else {
        QCOMPARE(::kill(pid_t(nox.processId()), SIGTERM), 0);
    }
    QVERIFY(nox.waitForFinished(10000));
    QCOMPARE(nox.exitStatus(), QProcess::NormalExit);
    MemoStore store;
    QVERIFY(store.open(data).ok());
    QCOMPARE(store.read(QDate::currentDate()), QStringLiteral("typed memo"));
    QVERIFY(QFile::exists(data + QStringLiteral("/Nox.ini")));
    QVERIFY(!hasLock(home.path()));
    server.kill();
    server.waitForFinished();
}

void TestStartup::noDisplayIsReportedNotCrashed()
{
    QProcess nox;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    nox.setProcessEnvironment(env);
    nox.start(noxProgram(), {});
    QVERIFY(nox.waitForFinished(10000));
    QCOMPARE(nox.exitStatus(), QProcess::NormalExit);
    QCOMPARE(nox.exitCode(), 1);
    QVERIFY(nox.readAllStandardError().contains("xvfb-run"));
}

void TestStartup::helpAndVersionPrintAndEnd_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("printed");
    QTest::newRow("--help") << QStringList{"--help"} << QStringLiteral("Usage: nox");
    QTest::newRow("-h after a toolkit option") << QStringList{"-style", "fusion", "-h"} << QStringLiteral("Usage: nox");
    QTest::newRow("--version") << QStringList{"--version"} << QStringLiteral("nox 2.05\n");
    QTest::newRow("-v") << QStringList{"-v"} << QStringLiteral("nox 2.05\n");
}

// With a window system at hand (offscreen here) the program still only
// prints: no window, no data folder, no lock.
void TestStartup::helpAndVersionPrintAndEnd()
{
    QFETCH(QStringList, args);
    QFETCH(QString, printed);
    QTemporaryDir home;
    QProcess nox;
    nox.setProcessEnvironment(environmentFor(home.path()));
    nox.start(noxProgram(), args);
    const bool ended = nox.waitForFinished(5000);
    if (!ended) {
        nox.kill();
        nox.waitForFinished();
    }
    QVERIFY2(ended, "nox opened its window instead of answering");
    QCOMPARE(nox.exitStatus(), QProcess::NormalExit);
    QCOMPARE(nox.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(nox.readAllStandardOutput());
    QVERIFY2(out.contains(printed), qPrintable(out));
    QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral("data"))));
    QVERIFY(!hasLock(home.path()));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
