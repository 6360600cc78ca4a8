// Reading the settings from one reading of the file, and writing many keys
// with one write: against IniFile key by key, the values read and the file
// written must be the same.
#include <QtTest>

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include "../common/toldstatus.h"
#include "core/inifile.h"
#include "core/settings.h"
#include "core/settingsbatch.h"
#include "core/textfile.h"

using namespace nox;

namespace
{

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A settings file with what hand-edited and old files hold: names in other
// letter cases, a section twice, keys twice, spaces around "=", comments,
// lines that are no key, blank lines, LF line ends, a byte-order mark.
QByteArray randomFile(QRandomGenerator& rng)
{
    const QList<SettingDef>& defs = allSettings();
    QByteArray text = rng.bounded(4) == 0 ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    const QByteArray end = rng.bounded(3) == 0 ? "\n" : "\r\n";
    QByteArray section;
    for (int i = 0; i < 40; ++i) {
        const SettingDef& d = defs.at(rng.bounded(int(defs.size())));
        if (section != d.section || rng.bounded(8) == 0) {
            section = d.section;
            QByteArray name = section;
            if (rng.bounded(3) == 0) {
                name = name.toUpper();
            }
            text += (rng.bounded(2) ? "[" + name + "]" : " [ " + name + " ] ") + end;
        }
        switch (rng.bounded(8)) {
        case 0:
            text += "; a comment" + end;
            break;
        case 1:
            text += end;
            break;
        case 2:
            text += "no key here" + end;
            break;
        default: {
            QByteArray key = d.key;
            if (rng.bounded(3) == 0) {
                key = key.toUpper();
            }
            const QByteArray value = QByteArray::number(rng.bounded(100) - 50);
            text += (rng.bounded(2) ? key + "=" + value : key + " = " + value + " ") + end;
        }
        }
    }
    return text;
}

// A run of writes and deletions, the same in both files.
void randomWrites(QRandomGenerator rng, const QString& path)
{
    Settings ini(path);
    const QList<SettingDef>& defs = allSettings();
    for (int i = 0; i < 25; ++i) {
        const Key key = defs.at(rng.bounded(int(defs.size()))).id;
        switch (rng.bounded(6)) {
        case 0:
            ini.writeString(key, QStringLiteral("two\r\nlines"));
            break;
        case 1:
            ini.deleteOldSearchKeywords();
            break;
        case 2:
            ini.writeColor(key, TColor(rng.bounded(0x1000000)));
            break;
        default:
            ini.writeInt(key, int(rng.bounded(1000)));
        }
    }
}

} // namespace

class TestSettingsBatch : public QObject
{
    Q_OBJECT
private slots:
    void readsMatchIniFile();
    void aBatchWritesWhatKeyByKeyWrites();
    void aBatchWritesOnce();
    void aChangedFileIsReadAgain();
    void anUnreadableFileIsNeitherReadNorReplaced();
};

void TestSettingsBatch::readsMatchIniFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Nox.ini"));
    QRandomGenerator rng(11);
    for (int round = 0; round < 30; ++round) {
        writeBytes(path, randomFile(rng));
        const Settings settings(path);
        const IniFile ini(path);
        for (const SettingDef& d : allSettings()) {
            const QString section = QLatin1String(d.section), key = QLatin1String(d.key);
            QCOMPARE(settings.readString(d.id, QStringLiteral("-")), ini.readString(section, key, QStringLiteral("-")));
            // Settings also keeps a number within its key's range.
            const int number = ini.readInteger(section, key, 7);
            QCOMPARE(settings.readInt(d.id, 7), number >= d.low && number <= d.high ? number : 7);
            const int flag = ini.readInteger(section, key, 1);
            QCOMPARE(settings.readBool(d.id, true), (flag >= d.low && flag <= d.high ? flag : 1) != 0);
            QCOMPARE(settings.readColor(d.id, clRed), ini.readColor(section, key, clRed));
        }
    }
}

void TestSettingsBatch::aBatchWritesWhatKeyByKeyWrites()
{
    QTemporaryDir dir;
    const QString byKey = dir.filePath(QStringLiteral("bykey.ini"));
    const QString batched = dir.filePath(QStringLiteral("batched.ini"));
    QRandomGenerator rng(5);
    for (int round = 0; round < 40; ++round) {
        const QByteArray start = round == 0 ? QByteArray() : randomFile(rng);
        writeBytes(byKey, start);
        writeBytes(batched, start);
        const quint32 seed = rng.generate();
        randomWrites(QRandomGenerator(seed), byKey);
        {
            SettingsBatch batch(batched);
            randomWrites(QRandomGenerator(seed), batched);
            QVERIFY(batch.commit());
        }
        QCOMPARE(bytesOf(batched), bytesOf(byKey));
    }
}

void TestSettingsBatch::aBatchWritesOnce()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Nox.ini"));
    int writes = 0;
    setWriteFaultHook([&](const QString&, WriteStep step) {
        writes += step == WriteStep::Rename;
        return 0;
    });
    SettingsBatch batch(path);
    Settings ini(path);
    for (int i = 0; i < 18; ++i) {
        QVERIFY(ini.writeInt(Key::SkedTopIndex, i));
    }
    QCOMPARE(ini.readInt(Key::SkedTopIndex), 17); // reads see the batch
    QCOMPARE(writes, 0);
    QVERIFY(batch.commit());
    QCOMPARE(writes, 1);
    setWriteFaultHook({});
    QCOMPARE(IniFile(path).readInteger(QStringLiteral("sked"), QStringLiteral("topindex"), 0), 17);
}

// Another program's change shows at the next read, also one made in place
// to the same size within the same tick of the file system's clock.
void TestSettingsBatch::aChangedFileIsReadAgain()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Nox.ini"));
    const Settings ini(path);
    QVERIFY(IniFile(path).writeInteger(QStringLiteral("sked"), QStringLiteral("count"), 3));
    QCOMPARE(ini.readInt(Key::SkedCount), 3);
    QVERIFY(IniFile(path).writeInteger(QStringLiteral("sked"), QStringLiteral("count"), 4));
    QCOMPARE(ini.readInt(Key::SkedCount), 4);

    struct stat before {};
    QCOMPARE(stat(QFile::encodeName(path).constData(), &before), 0);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QByteArray text = f.readAll();
    f.seek(0);
    f.write(QByteArray(text).replace("count=4", "count=6"));
    f.close();
    const timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
    QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    QCOMPARE(ini.readInt(Key::SkedCount), 6);
}

void TestSettingsBatch::anUnreadableFileIsNeitherReadNorReplaced()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Nox.ini"));
    QVERIFY(QDir().mkdir(path)); // a folder stands where the file should be
    const Settings ini(path);
    QCOMPARE(ini.readInt(Key::SkedCount), 5);
    SettingsBatch batch(path);
    QVERIFY(!Settings(path).writeInt(Key::SkedCount, 7));
    QString error;
    QVERIFY(!toldStatus(batch.commit(), &error));
    QVERIFY(error.contains(path));
    QVERIFY(QFileInfo(path).isDir());
}

QTEST_GUILESS_MAIN(TestSettingsBatch)
#include "tst_settingsbatch.moc"
