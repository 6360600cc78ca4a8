#pragma once
// What "テスト" beside a sound box does with its text.
#include <QString>

namespace nox
{

enum class TSoundTest {
    Nothing,  // empty text
    Beep,     // "beep" in any letter case
    Play,     // an existing wave file
    NotFound, // no such file: "ファイルが見つかりません！"
    NotWave,  // a file that is not a wave file
};

TSoundTest ClassifySoundTest(const QString& sound);
// True iff the file starts as a RIFF wave file does.
bool IsWaveFile(const QString& path);

} // namespace nox
