#include "core/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/textfile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nox::folders
{

namespace
{

struct Cache {
    QString programFolder;
    QString dataFolder;
    QString userName;
};

Cache& cache()
{
    static Cache c;
    return c;
}

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/')) {
        path.chop(1);
    }
    return path;
}

QString executableFolder()
{
    if (QCoreApplication::instance()) {
        return withoutTrailingSlash(QCoreApplication::applicationDirPath());
    }
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    return withoutTrailingSlash(QFileInfo(self.symLinkTarget()).absolutePath());
}

QString noxHome()
{
    const QString home = qEnvironmentVariable("NOX_HOME");
    return home.isEmpty() ? QString() : withoutTrailingSlash(QDir::cleanPath(QDir(home).absolutePath()));
}

// A login name is used as a folder name, so it must be one plain component.
bool isUsableName(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !name.contains(QChar(0));
}

QString readUserName()
{
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) {
        const QString name = QString::fromLocal8Bit(pw->pw_name);
        if (isUsableName(name)) {
            return name;
        }
    }
    for (const char* var : {"USER", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(var);
        if (isUsableName(name)) {
            return name;
        }
    }
    return QStringLiteral("Nox_");
}

// True when files can be created in the folder (creating it when missing).
bool isWritableFolder(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists()) {
        return info.isDir() && info.isWritable();
    }
    return QDir().mkpath(path) && QFileInfo(path).isWritable();
}

// <prefix>/share/nox seen from <prefix>/bin.
QString installedFactoryFolder(const QString& exe)
{
    return QDir::cleanPath(exe + QStringLiteral("/../share/nox"));
}

// An installed copy keeps its factory files in <prefix>/share/nox, a portable
// copy (an unpacked folder, a build tree) beside the program. An installed
// copy never writes below its prefix, even when it may (run by root, or
// installed into the user's own folder).
bool isInstalledCopy()
{
    if (!noxHome().isEmpty()) {
        return false;
    }
    const QString exe = executableFolder();
    return !QFileInfo::exists(exe + QStringLiteral("/default")) &&
           QFileInfo::exists(installedFactoryFolder(exe) + QStringLiteral("/default"));
}

QString userDataRoot()
{
    QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (xdg.isEmpty()) {
        xdg = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return withoutTrailingSlash(xdg) + QStringLiteral("/nox");
}

// Existing data is used where it is, also when it cannot be written (the
// start then says so instead of showing an empty planner). Only where no
// data folder exists yet does a program folder that cannot be written send
// the data to $XDG_DATA_HOME/nox (always used by an installed copy).
QString dataRoot()
{
    const QString xdg = userDataRoot();
    if (isInstalledCopy()) {
        return xdg;
    }
    const QString program = programFolder();
    const QString inProgram = program + QStringLiteral("/data");
    if (QFileInfo::exists(inProgram + QLatin1Char('/') + userName())) {
        return inProgram;
    }
    if (QFileInfo::exists(xdg + QLatin1Char('/') + userName())) {
        return xdg;
    }
    const QFileInfo data(inProgram);
    if ((data.isDir() && data.isWritable()) || (!data.exists() && isWritableFolder(program))) {
        return inProgram;
    }
    return xdg;
}

// The places a factory file or folder is looked up, in order.
QStringList factoryPlaces()
{
    QStringList places;
    const QString home = noxHome();
    const QString exe = executableFolder();
    if (!home.isEmpty()) {
        places << home;
    }
    places << exe;
    if (home.isEmpty()) {
        places << installedFactoryFolder(exe);
#ifdef NOX_INSTALL_DATADIR
        places << QStringLiteral(NOX_INSTALL_DATADIR);
#endif
    }
    places.removeDuplicates();
    return places;
}

// The first existing place of `name`; the first place when none has it.
QString factoryPath(const QString& name)
{
    const QStringList places = factoryPlaces();
    for (const QString& place : places) {
        const QString path = place + QLatin1Char('/') + name;
        if (QFileInfo::exists(path)) {
            return path;
        }
    }
    return places.first() + QLatin1Char('/') + name;
}

} // namespace

QString programFolder()
{
    Cache& c = cache();
    if (c.programFolder.isEmpty()) {
        const QString home = noxHome();
        c.programFolder = home.isEmpty() ? executableFolder() : home;
    }
    return c.programFolder;
}

QString userName()
{
    Cache& c = cache();
    if (c.userName.isEmpty()) {
        c.userName = readUserName();
    }
    return c.userName;
}

QString dataFolder()
{
    Cache& c = cache();
    if (c.dataFolder.isEmpty()) {
        c.dataFolder = dataRoot() + QLatin1Char('/') + userName();
    }
    return c.dataFolder;
}

bool ensureDataFolder()
{
    const QString folder = dataFolder();
    if (QFileInfo(folder).isDir()) {
        return true; // an existing folder keeps the mode its owner gave it
    }
    if (!QDir().mkpath(QFileInfo(folder).absolutePath())) {
        return false;
    }
    // The schedules are the user's own: no other local user may look in.
    return ::mkdir(QFile::encodeName(folder).constData(), 0700) == 0 || QFileInfo(folder).isDir();
}

Status prepareDataFolder()
{
    const QString folder = dataFolder();
    if (!ensureDataFolder()) {
        return Status::failed(
            folder, QStringLiteral("データフォルダー「%1」を作成できません。").arg(QDir::toNativeSeparators(folder)));
    }
    return copyFileIfMissing(defaultFolder() + QStringLiteral("/style.ini"), folder + QStringLiteral("/style.ini"));
}

bool canWriteFolder(const QString& folder, QString* reason)
{
    QByteArray probe = QFile::encodeName(folder + QStringLiteral("/.nox-probe-XXXXXX"));
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        if (reason) {
            *reason = QString::fromLocal8Bit(std::strerror(errno));
        }
        return false;
    }
    ::close(fd);
    ::unlink(probe.constData());
    return true;
}

QString defaultFolder()
{
    return factoryPath(QStringLiteral("default"));
}

QString printFolder()
{
    return factoryPath(QStringLiteral("print"));
}

QString helpPage()
{
    return factoryPath(QStringLiteral("nox.html"));
}

QString tempFolder()
{
    return dataFolder() + QStringLiteral("/temp");
}

QString dataFile(const QString& name)
{
    return dataFolder() + QLatin1Char('/') + name;
}

void resetCache()
{
    cache() = Cache();
}

} // namespace nox::folders
