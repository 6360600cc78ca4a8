// Start-up around the main window: conversions of older data run by the
// deferred start-up, and the program as a process (single instance, no display).
#include <QProcess>
#include <QTest>

#include "core/inifile.h"
#include "core/textfile.h"
#include "mainformfixture.h"
#include "sked/skedcontrol.h"

using namespace nox;

namespace
{

QString noxProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/nox");
}

// The program's folder is `home`; its lock goes to "<home>/run".
QProcessEnvironment environmentFor(const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("NOX_HOME"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QDir().mkpath(home + QStringLiteral("/run"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/run"));
    return env;
}

bool hasLock(const QString& home)
{
    return !QDir(home + QStringLiteral("/run"))
                .entryList({QStringLiteral("nox-*.lock")}, QDir::Files)
                .isEmpty();
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void dayFileUpdatePassRenumbersOldData_data();
    void dayFileUpdatePassRenumbersOldData();
    void secondStartHandsOverAndEnds();
    void noDisplayIsReportedNotCrashed();
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
    const QStringList lines = readTextLines(f.dataFile(QStringLiteral("20260311.dat"))).lines;
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

void TestStartup::secondStartHandsOverAndEnds()
{
    QTemporaryDir home;
    QProcess first;
    first.setProcessEnvironment(environmentFor(home.path()));
    first.start(noxProgram(), {});
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(hasLock(home.path()), 10000);
    // Nothing of the lock is kept in the data folder (it may be synced elsewhere).
    QVERIFY(!QFile::exists(home.path() + QStringLiteral("/data/") + folders::userName() +
                           QStringLiteral("/nox.lock")));
    QTest::qWait(300); // listening starts right after the lock is taken
    QProcess second;
    second.setProcessEnvironment(environmentFor(home.path()));
    second.start(noxProgram(), {});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);
    first.terminate();
    if (!first.waitForFinished(5000)) {
        first.kill();
        first.waitForFinished();
    }
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

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
