// The settings file's cost at start-up and shutdown: every key of "Nox.ini"
// read once (the program reads about 80 at start-up), and the 18 writes of
// shutdown, on a file that holds every key, in a folder of the same file
// system as the data (the system's temporary folder). Each against the same
// work key by key through IniFile (one reading or one write of the file per
// key), the anchor of the comparison.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <sys/time.h>

#include "core/inifile.h"
#include "core/settings.h"
#include "core/settingsbatch.h"
#include "core/textfile.h"

using namespace nox;

namespace
{

// A settings file with every key at its default, as a user's file is after
// the settings dialog has written all of its pages.
QString fullSettingsFile(const QTemporaryDir& dir)
{
    QStringList lines;
    QString section;
    for (const SettingDef& def : allSettings()) {
        if (QLatin1String(def.section) != section) {
            section = QLatin1String(def.section);
            lines << QLatin1Char('[') + section + QLatin1Char(']');
        }
        lines << QLatin1String(def.key) + QLatin1Char('=') + QString::fromUtf8(def.defaultText);
    }
    const QString path = dir.filePath(QStringLiteral("Nox.ini"));
    static_cast<void>(writeTextLines(path, lines));
    // Written at the last shutdown, not just now (a file changed a moment
    // ago is read again at every key).
    const timeval minuteAgo[2] = {{time(nullptr) - 60, 0}, {time(nullptr) - 60, 0}};
    utimes(QFile::encodeName(path).constData(), minuteAgo);
    return path;
}

// The keys and order of the program's shutdown.
const Key kShutdownWrites[] = {Key::NoxVersion,         Key::Window1WindowState, Key::Window1Left,
                               Key::Window1Top,         Key::Window1Width,       Key::Window1Height,
                               Key::SkedCount,          Key::SkedStyle,          Key::SkedLeftDate,
                               Key::Window1ToolbarHeight, Key::Window1ViewMode,  Key::MonthViewTimeViewStyle,
                               Key::Window1Memo,        Key::Window1MemoHeight,  Key::CategorySelect,
                               Key::ClockLeft,          Key::ClockTop,           Key::TempMemoVisible};

void BM_ReadEveryKey_IniFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const IniFile ini(fullSettingsFile(dir));
    for (auto _ : state) {
        for (const SettingDef& def : allSettings()) {
            benchmark::DoNotOptimize(
                ini.readString(QLatin1String(def.section), QLatin1String(def.key), QString()));
        }
    }
    state.counters["keys"] = double(allSettings().size());
}
BENCHMARK(BM_ReadEveryKey_IniFile)->Unit(benchmark::kMillisecond);

void BM_ReadEveryKey_Settings(benchmark::State& state)
{
    QTemporaryDir dir;
    const Settings ini(fullSettingsFile(dir));
    for (auto _ : state) {
        for (const SettingDef& def : allSettings()) {
            benchmark::DoNotOptimize(ini.readString(def.id, QString()));
        }
    }
    state.counters["keys"] = double(allSettings().size());
}
BENCHMARK(BM_ReadEveryKey_Settings)->Unit(benchmark::kMillisecond);

void BM_ShutdownWrites_IniFile(benchmark::State& state)
{
    QTemporaryDir dir;
    IniFile ini(fullSettingsFile(dir));
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (Key key : kShutdownWrites) {
            const SettingDef& def = settingDef(key);
            ini.writeString(QLatin1String(def.section), QLatin1String(def.key), QString::number(round));
        }
    }
    state.counters["writes"] = double(std::size(kShutdownWrites));
}
BENCHMARK(BM_ShutdownWrites_IniFile)->Unit(benchmark::kMillisecond);

void BM_ShutdownWrites_Batch(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = fullSettingsFile(dir);
    Settings ini(path);
    int round = 0;
    for (auto _ : state) {
        ++round;
        SettingsBatch batch(path);
        for (Key key : kShutdownWrites) {
            ini.writeString(key, QString::number(round));
        }
        benchmark::DoNotOptimize(batch.commit());
    }
    state.counters["writes"] = double(std::size(kShutdownWrites));
}
BENCHMARK(BM_ShutdownWrites_Batch)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
