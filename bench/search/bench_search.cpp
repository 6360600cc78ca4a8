// Search and rendering on 20 years of generated schedules (about 5 000 day
// files, made once by bench/make_data.py; NOX_BENCH_DATA=<data folder> uses
// an existing one). Measured in the same run and reported as ratios at the
// end:
//   grep_files          grep -F -l TERM FILES... in the data folder (a process
//                       handed the names of all day files)
//   grep_command        sh -c "grep -F -l TERM *.dat": the same as typed in a
//                       shell, which lists the folder for the pattern
//   noxtool_search      noxtool --data DIR search TERM (a process)
//   engine_search       the window's engine in this process, nothing cached
//   engine_search_cached  the same through the book's memory of the days
//                       (cache_MiB: an estimate of the memory it takes)
//   render_10000        10 000 result lines through the "サンプル" layout
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "search/daysource.h"
#include "search/rendertemplate.h"
#include "search/skedsearch.h"
#include "store/holidays.h"
#include "store/schedulebook.h"

namespace
{

const QString kTerm = QStringLiteral("歯医者");

QString dataFolder()
{
    static QString folder;
    static std::unique_ptr<QTemporaryDir> home;
    if (!folder.isEmpty()) {
        return folder;
    }
    folder = qEnvironmentVariable("NOX_BENCH_DATA");
    if (folder.isEmpty()) {
        home = std::make_unique<QTemporaryDir>();
        QProcess gen;
        gen.start(QStringLiteral("python3"), {QStringLiteral(NOX_MAKE_DATA), home->path(), QStringLiteral("--from"),
                                              QStringLiteral("2006-01-01"), QStringLiteral("--months"),
                                              QStringLiteral("240"), QStringLiteral("--user"), QStringLiteral("bench")});
        gen.waitForFinished(-1);
        folder = home->path() + QStringLiteral("/data/bench");
    }
    return folder;
}

bool runProcess(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setWorkingDirectory(dataFolder());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit;
}

void grep_files(benchmark::State& state)
{
    // The file list a shell makes of "*.dat".
    const QStringList files = QDir(dataFolder()).entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name);
    const QStringList args = QStringList{QStringLiteral("-F"), QStringLiteral("-l"), kTerm} + files;
    for (auto _ : state) {
        runProcess(QStringLiteral("grep"), args);
    }
}

void grep_command(benchmark::State& state)
{
    const QStringList args{QStringLiteral("-c"), QStringLiteral("grep -F -l %1 *.dat").arg(kTerm)};
    for (auto _ : state) {
        runProcess(QStringLiteral("sh"), args);
    }
}

void noxtool_search(benchmark::State& state)
{
    for (auto _ : state) {
        if (!runProcess(QStringLiteral(NOXTOOL_PROGRAM),
                        {QStringLiteral("--data"), dataFolder(), QStringLiteral("search"), kTerm})) {
            state.SkipWithError("noxtool did not run");
            break;
        }
    }
}

void engine_search(benchmark::State& state)
{
    nox::SearchQuery query;
    query.text = kTerm;
    for (auto _ : state) {
        const nox::ScheduleBook book(dataFolder(), nullptr);
        nox::BookDaySource source(book);
        benchmark::DoNotOptimize(nox::searchSchedules(source, query).results.size());
    }
}

void engine_search_cached(benchmark::State& state)
{
    const nox::ScheduleBook book(dataFolder(), nullptr);
    nox::KeptDaySource source(book);
    nox::SearchQuery query;
    query.text = kTerm;
    nox::searchSchedules(source, query); // fills the book's memory
    for (auto _ : state) {
        benchmark::DoNotOptimize(nox::searchSchedules(source, query).results.size());
    }
    state.counters["cached_days"] = book.cacheStats().days;
    state.counters["cache_MiB"] = double(book.cacheStats().bytes) / (1024 * 1024);
}

void render_10000(benchmark::State& state)
{
    nox::RenderInput input;
    const QDate first(2006, 1, 1);
    for (int i = 0; i < 10000; ++i) {
        nox::TSkedSearchRec r;
        r.Date = first.addDays(i * 7 / 10);
        r.StartText = QStringLiteral("9:00");
        r.EndText = QStringLiteral("10:30");
        r.Text = QStringLiteral("プロジェクト進捗確認#13#10資料 %1").arg(i);
        r.Memo = QStringLiteral("会議室A");
        r.Category = QStringLiteral("仕事");
        input.results << r;
    }
    nox::HolidayList holidays;
    input.holidays = &holidays;
    QTemporaryDir out;
    const QString layout = QStringLiteral(NOX_PRINT_FOLDER) + QStringLiteral("/サンプル");
    for (auto _ : state) {
        const nox::RenderResult r = nox::RenderTemplate(layout, out.filePath(QStringLiteral("Schedule")), input, false);
        if (!r.ok()) {
            state.SkipWithError(qPrintable(r.message));
            break;
        }
    }
}

// Prints the benchmarks' results, then the ratios the goals are stated in.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        // With --benchmark_repetitions the ratios are those of the medians.
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name == "median") {
                m_ms[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        auto ratio = [&](const char* a, const char* b) {
            if (m_ms.count(a) && m_ms.count(b) && m_ms[b] > 0) {
                std::printf("%-36s %.2f\n", (std::string(a) + " / " + b).c_str(), m_ms[a] / m_ms[b]);
            }
        };
        std::printf("\nratios (goals: search <= 1, cached search <= 0.3)\n");
        ratio("noxtool_search", "grep_files");
        ratio("noxtool_search", "grep_command");
        ratio("engine_search", "grep_files");
        ratio("engine_search_cached", "grep_files");
    }

private:
    std::map<std::string, double> m_ms;
};

} // namespace

BENCHMARK(grep_files)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(grep_command)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(noxtool_search)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(engine_search)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(engine_search_cached)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(render_10000)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
