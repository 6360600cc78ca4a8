#include <QtTest>

#include <QProcess>
#include <QTemporaryDir>

#include "core/folders.h"

#include <sys/stat.h>

using namespace nox;

class TestFolders : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void noxHomeReplacesProgramFolder();
    void factoryFilesFromNoxHomeThenExecutable();
    void readOnlyProgramFolderUsesXdg();
    void existingDataIsNeverSwappedForAnEmptyFolder();
    void dataFolderIsTheOwnersAlone();
};

void TestFolders::cleanup()
{
    qunsetenv("NOX_HOME");
    qunsetenv("XDG_DATA_HOME");
    folders::resetCache();
}

void TestFolders::noxHomeReplacesProgramFolder()
{
    QTemporaryDir home;
    qputenv("NOX_HOME", (home.path() + "/").toUtf8());
    folders::resetCache();
    QCOMPARE(folders::programFolder(), home.path());
    const QString user = folders::userName();
    QVERIFY(!user.isEmpty());
    QVERIFY(!user.contains(u'/'));
    QCOMPARE(folders::dataFolder(), home.path() + "/data/" + user);
    QCOMPARE(folders::tempFolder(), folders::dataFolder() + "/temp");
    QCOMPARE(folders::dataFile("Nox.ini"), folders::dataFolder() + "/Nox.ini");
    QVERIFY(!QFileInfo::exists(folders::dataFolder()));
    QVERIFY(folders::ensureDataFolder());
    QVERIFY(QFileInfo(folders::dataFolder()).isDir());
}

// A new data folder is closed to other local users whatever the umask; one
// that exists keeps the mode its owner gave it.
void TestFolders::dataFolderIsTheOwnersAlone()
{
    QTemporaryDir home;
    qputenv("NOX_HOME", home.path().toUtf8());
    folders::resetCache();
    const mode_t oldMask = ::umask(022);
    const bool made = folders::ensureDataFolder();
    ::umask(oldMask);
    QVERIFY(made);
    const auto mode = [](const QString& path) {
        struct stat st {
        };
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
    };
    QCOMPARE(mode(folders::dataFolder()), 0700);
    QVERIFY(QFile::setPermissions(folders::dataFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                             QFile::ReadGroup | QFile::ExeGroup));
    QVERIFY(folders::ensureDataFolder());
    QCOMPARE(mode(folders::dataFolder()), 0750);
}

void TestFolders::factoryFilesFromNoxHomeThenExecutable()
{
    QTemporaryDir home;
    qputenv("NOX_HOME", home.path().toUtf8());
    folders::resetCache();
    const QString exe = QCoreApplication::applicationDirPath();
    // Nothing in NOX_HOME: the executable's folder is next; when neither has
    // it, the first place is named so the file reads as missing.
    const QString def = folders::defaultFolder();
    QVERIFY(def == home.path() + "/default" || def == exe + "/default");
    QVERIFY(QDir(home.path()).mkdir("default"));
    QFile help(home.path() + "/nox.html");
    QVERIFY(help.open(QIODevice::WriteOnly));
    help.close();
    QCOMPARE(folders::defaultFolder(), home.path() + "/default");
    QCOMPARE(folders::helpPage(), home.path() + "/nox.html");
    QVERIFY(folders::printFolder().endsWith("/print"));
}

void TestFolders::readOnlyProgramFolderUsesXdg()
{
    QTemporaryDir home;
    QTemporaryDir xdg;
    // A program folder below a plain file can be neither written nor created,
    // whatever rights the test runs with.
    QFile blocker(home.path() + "/file");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("NOX_HOME", (home.path() + "/file/installed").toUtf8());
    qputenv("XDG_DATA_HOME", xdg.path().toUtf8());
    folders::resetCache();
    QCOMPARE(folders::dataFolder(), xdg.path() + "/nox/" + folders::userName());
    QVERIFY(folders::ensureDataFolder());
}

// A data folder that exists stays the data folder when it cannot be written
// (the start then says so); the folder in $XDG_DATA_HOME is only for a
// program folder without data. Needs a read-only mount (root); skipped where
// mounting is not allowed.
void TestFolders::existingDataIsNeverSwappedForAnEmptyFolder()
{
    QTemporaryDir home;
    QTemporaryDir xdg;
    const QString user = folders::userName();
    QVERIFY(QDir().mkpath(home.path() + "/data"));
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", home.path() + "/data"}) != 0) {
        QSKIP("cannot mount a tmpfs here (needs root)");
    }
    QVERIFY(QDir().mkpath(home.path() + "/data/" + user));
    const bool readOnly = QProcess::execute("mount", {"-o", "remount,ro", home.path() + "/data"}) == 0;
    qputenv("NOX_HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", xdg.path().toUtf8());
    folders::resetCache();
    const QString folder = folders::dataFolder();
    QString reason;
    const bool writable = folders::canWriteFolder(folder, &reason);
    QProcess::execute("umount", {"-l", home.path() + "/data"});
    QVERIFY(readOnly);
    QCOMPARE(folder, home.path() + "/data/" + user);
    QVERIFY(!writable);
    QVERIFY(!reason.isEmpty());

    // Data that went to $XDG_DATA_HOME earlier is found there again.
    QVERIFY(QDir().mkpath(xdg.path() + "/nox/" + user));
    folders::resetCache();
    QCOMPARE(folders::dataFolder(), xdg.path() + "/nox/" + user);
}

QTEST_GUILESS_MAIN(TestFolders)
#include "tst_folders.moc"
