// A full disk for real: a 2 MB tmpfs (mounting needs root; skipped where it
// is not allowed) filled to the last byte. noxtool's writes and a settings
// write fail with a message and exit code 1, and every file keeps its bytes.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "alarm/alarmfile.h"
#include "core/inifile.h"
#include "store/dayfile.h"
#include "toolrunner.h"

using namespace nox;

namespace
{

const QDate kDay(2099, 12, 7); // far ahead: alarms of past minutes are not kept

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes into `path` until the disk is full, in ever smaller pieces down to
// single bytes. True when ENOSPC was reached.
bool fillDisk(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) {
        return false;
    }
    const QByteArray chunk(1 << 16, 'f');
    bool full = false;
    for (qsizetype size = chunk.size(); size >= 1; size /= 2) {
        while (::write(fd, chunk.constData(), size_t(size)) == size) {
        }
        full = errno == ENOSPC;
    }
    ::close(fd);
    return full;
}

// A tmpfs mounted at a temporary folder for the life of the object.
struct SmallDisk {
    QTemporaryDir base;
    QString mountPoint;
    bool mounted = false;
    QString why;

    SmallDisk()
    {
        mountPoint = base.filePath(QStringLiteral("disk"));
        QDir().mkpath(mountPoint);
        QProcess mount;
        mount.start(QStringLiteral("mount"),
                    {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                     QStringLiteral("size=2m"), QStringLiteral("tmpfs"), mountPoint});
        mounted = mount.waitForFinished(10000) && mount.exitStatus() == QProcess::NormalExit &&
                  mount.exitCode() == 0;
        why = QString::fromLocal8Bit(mount.readAllStandardError()).trimmed();
    }
    ~SmallDisk()
    {
        if (mounted) {
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), mountPoint});
        }
    }
};

} // namespace

class TestDiskFull : public QObject
{
    Q_OBJECT
private slots:
    void fullDiskKeepsEveryFile();
};

void TestDiskFull::fullDiskKeepsEveryFile()
{
    SmallDisk disk;
    if (!disk.mounted) {
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here (%1)").arg(disk.why)));
    }
    const QString data = disk.mountPoint + QStringLiteral("/data");
    QVERIFY(QDir().mkpath(data));
    // A day file longer than one page, pending alarms, memos and settings.
    for (int i = 0; i < 6; ++i) {
        const ToolRun r =
            runNoxToolOn(data, {"add", "2099-12-07", QStringLiteral("%1:00").arg(9 + i),
                                QStringLiteral("%1:30").arg(9 + i), QString(400, u'予'), "--alarm", "5"});
        QCOMPARE(r.exitCode, 0);
    }
    QCOMPARE(runNoxToolOn(data, {"memo", "set", "2099-12-07", QString(300, u'メ')}).exitCode, 0);
    IniFile ini(data + QStringLiteral("/Nox.ini"));
    for (const char* key : {"left", "top", "width", "height"}) {
        QVERIFY(ini.writeInteger(QStringLiteral("window1"), QLatin1String(key), 100));
    }
    const QStringList files{dayFilePath(data, kDay), alarmFilePath(data), data + QStringLiteral("/memo.nox"),
                            data + QStringLiteral("/Nox.ini")};
    QList<QByteArray> before;
    for (const QString& f : files) {
        before << bytesOf(f);
        QVERIFY2(!before.last().isEmpty(), qPrintable(f));
    }
    QVERIFY(bytesOf(files[0]).size() > 4096);

    const QString filler = disk.mountPoint + QStringLiteral("/filler");
    QVERIFY(fillDisk(filler));
    ToolRun r =
        runNoxToolOn(data, {"add", "2099-12-07", "20:00", "20:30", QString(400, u'満'), "--alarm", "0"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(QStringLiteral("20991207.dat")), qPrintable(r.err));
    r = runNoxToolOn(data, {"memo", "set", "2099-12-07", QString(900, u'長')});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(QStringLiteral("memo.nox")), qPrintable(r.err));
    r = runNoxToolOn(data, {"memo", "set", "2099-12-08", QStringLiteral("短い")});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(!ini.writeInteger(QStringLiteral("window1"), QStringLiteral("left"), 7));
    QVERIFY(ini.lastError().contains(QStringLiteral("Nox.ini")));
    for (qsizetype i = 0; i < files.size(); ++i) {
        QVERIFY2(bytesOf(files[i]) == before[i], qPrintable(files[i]));
    }
    QCOMPARE(QDir(data).entryList(QDir::Files | QDir::Hidden).size(), files.size());

    // With room again everything works.
    QVERIFY(QFile::remove(filler));
    QCOMPARE(runNoxToolOn(data, {"memo", "set", "2099-12-07", QString(900, u'長')}).exitCode, 0);
    QCOMPARE(runNoxToolOn(data, {"memo", "check"}).exitCode, 0);
    QVERIFY(ini.writeInteger(QStringLiteral("window1"), QStringLiteral("left"), 7));
}

QTEST_GUILESS_MAIN(TestDiskFull)
#include "tst_diskfull.moc"
