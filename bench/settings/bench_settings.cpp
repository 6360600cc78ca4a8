// The settings file's cost at start-up and shutdown: every key of "Nox.ini"
// read once (the program reads about 80 at start-up), and the 18 writes of
// shutdown, on a file that holds every key, in a folder of the same file
// system as the data (the system's temporary folder).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "core/settings.h"
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
    writeTextLines(path, lines);
    return path;
}

// The keys and order of the program's shutdown.
const Key kShutdownWrites[] = {Key::NoxVersion,         Key::Window1WindowState, Key::Window1Left,
                               Key::Window1Top,         Key::Window1Width,       Key::Window1Height,
                               Key::SkedCount,          Key::SkedStyle,          Key::SkedLeftDate,
                               Key::Window1ToolbarHeight, Key::Window1ViewMode,  Key::MonthViewTimeViewStyle,
                               Key::Window1Memo,        Key::Window1MemoHeight,  Key::CategorySelect,
                               Key::ClockLeft,          Key::ClockTop,           Key::TempMemoVisible};

void BM_ReadEveryKey(benchmark::State& state)
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
BENCHMARK(BM_ReadEveryKey)->Unit(benchmark::kMillisecond);

void BM_ShutdownWrites(benchmark::State& state)
{
    QTemporaryDir dir;
    Settings ini(fullSettingsFile(dir));
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (Key key : kShutdownWrites) {
            ini.writeString(key, QString::number(round));
        }
    }
    state.counters["writes"] = double(std::size(kShutdownWrites));
}
BENCHMARK(BM_ShutdownWrites)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
