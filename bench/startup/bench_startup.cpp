// Runs the program with NOX_STARTUP_PROBE on the offscreen platform and
// reports the milliseconds it prints: entry to the first paint of the main
// window, and entry to the end of the deferred start-up. Data folders: empty,
// and 20 years of generated schedules and day memos (made once, by
// bench/make_data.py, in a temporary folder).
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace
{

struct Probe {
    double firstPaint = -1;
    double started = -1;
};

Probe runOnce(const QString& home)
{
    QProcess nox;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("NOX_HOME"), home);
    env.insert(QStringLiteral("NOX_STARTUP_PROBE"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    nox.setProcessEnvironment(env);
    nox.start(QStringLiteral(NOX_PROGRAM), {});
    Probe probe;
    if (!nox.waitForFinished(60000)) {
        nox.kill();
        return probe;
    }
    for (const QByteArray& line : nox.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2 && parts[0] == "first-paint-ms") {
            probe.firstPaint = parts[1].toDouble();
        } else if (parts.size() == 2 && parts[0] == "started-ms") {
            probe.started = parts[1].toDouble();
        }
    }
    return probe;
}

QString makeHome(int months)
{
    static std::vector<std::unique_ptr<QTemporaryDir>> homes;
    homes.push_back(std::make_unique<QTemporaryDir>());
    const QString home = homes.back()->path();
    if (months > 0) {
        QProcess gen;
        gen.start(QStringLiteral("python3"),
                  {QStringLiteral(NOX_MAKE_DATA), home, QStringLiteral("--months"), QString::number(months),
                   QStringLiteral("--noxtool"), QStringLiteral(NOXTOOL_PROGRAM)});
        gen.waitForFinished(-1);
    }
    return home;
}

void startup(benchmark::State& state, int months, bool toFirstPaint)
{
    static QMap<int, QString> homes;
    if (!homes.contains(months)) {
        homes[months] = makeHome(months);
    }
    for (auto _ : state) {
        const Probe probe = runOnce(homes[months]);
        const double ms = toFirstPaint ? probe.firstPaint : probe.started;
        if (ms < 0) {
            state.SkipWithError("the program did not report its start-up");
            break;
        }
        state.SetIterationTime(ms / 1000.0);
    }
}

} // namespace

BENCHMARK_CAPTURE(startup, empty_first_paint, 0, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(startup, empty_started, 0, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(startup, years20_first_paint, 240, true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(startup, years20_started, 240, false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
