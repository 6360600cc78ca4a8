// The sound support is loaded with the first sound, not before.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "alarm/ui/soundplayer.h"

using namespace nox;

namespace
{

bool multimediaLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Multimedia");
}

// A tenth of a second of silence: 8 kHz, mono, 16 bit.
QByteArray silentWave()
{
    const quint32 samples = 800;
    QByteArray data(int(samples * 2), '\0');
    QByteArray wave;
    const auto u32 = [&](quint32 v) {
        char le[4];
        qToLittleEndian(v, le);
        wave.append(le, 4);
    };
    const auto u16 = [&](quint16 v) {
        char le[2];
        qToLittleEndian(v, le);
        wave.append(le, 2);
    };
    wave.append("RIFF");
    u32(36 + quint32(data.size()));
    wave.append("WAVEfmt ");
    u32(16);
    u16(1);     // PCM
    u16(1);     // mono
    u32(8000);  // samples per second
    u32(16000); // bytes per second
    u16(2);     // block align
    u16(16);    // bits per sample
    wave.append("data");
    u32(quint32(data.size()));
    return wave + data;
}

} // namespace

class TestSoundPlayer : public QObject
{
    Q_OBJECT
private slots:
    void loadedWithTheFirstSound();
};

void TestSoundPlayer::loadedWithTheFirstSound()
{
    QVERIFY2(!multimediaLoaded(), "the sound libraries were loaded before any sound played");
    QVERIFY(!isSoundSupportLoaded());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chime.wav"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(silentWave());
    file.close();
    {
        QObject owner;
        QVERIFY2(playWaveFile(path, &owner), qPrintable(soundSupportError()));
        QVERIFY(isSoundSupportLoaded());
        QVERIFY(multimediaLoaded());
        QCOMPARE(owner.children().size(), 1); // the sound, stopped with its owner
    }
}

QTEST_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"
