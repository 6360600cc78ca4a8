#include "dialogs/soundtest.h"

#include <QFile>
#include <QFileInfo>

namespace nox
{

bool IsWaveFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray head = file.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
}

TSoundTest ClassifySoundTest(const QString& sound)
{
    if (sound.isEmpty()) {
        return TSoundTest::Nothing;
    }
    if (sound.toLower() == QStringLiteral("beep")) {
        return TSoundTest::Beep;
    }
    if (!QFileInfo(sound).isFile()) {
        return TSoundTest::NotFound;
    }
    return IsWaveFile(sound) ? TSoundTest::Play : TSoundTest::NotWave;
}

} // namespace nox
