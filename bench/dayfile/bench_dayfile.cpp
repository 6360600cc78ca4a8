// Costs of the day file format: one line, one day, and a scan of twenty years
// of day files (every file read and parsed, as a search over all days does).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "store/dayfile.h"

using namespace nox;

namespace
{

TSkedRec sampleRec(QRandomGenerator& rng, const QDate& date)
{
    TSkedRec r;
    r.setDate(date);
    r.StartTime = int(rng.bounded(40));
    r.EndTime = r.StartTime + int(rng.bounded(8));
    r.TextColor = rng.bounded(2) ? clWindowText : TColor(rng.bounded(0x1000000));
    r.LineColor = clWindowText;
    r.FontStyle = int(rng.bounded(16));
    r.ImageIndex = int(rng.bounded(20)) - 1;
    r.ID = int(rng.bounded(235959999));
    r.Text = QStringLiteral("打ち合わせ %1 会議室").arg(rng.bounded(100));
    r.Memo = escapeSkedText(QStringLiteral("資料を持参すること\r\n担当: 山田"));
    r.Category = rng.bounded(3) ? QString() : QStringLiteral("仕事");
    r.AlarmMinutes = rng.bounded(2) ? -1 : 10;
    return r;
}

QList<TSkedRec> sampleDay(const QDate& date, int count, quint32 seed)
{
    QRandomGenerator rng(seed);
    QList<TSkedRec> recs;
    for (int i = 0; i < count; ++i) {
        recs.append(sampleRec(rng, date));
    }
    return recs;
}

void BM_FormatLine(benchmark::State& state)
{
    const TSkedRec r = sampleDay(QDate(2026, 12, 7), 1, 1).first();
    for (auto _ : state) {
        benchmark::DoNotOptimize(formatSkedLine(r));
    }
}
BENCHMARK(BM_FormatLine);

void BM_ParseLine(benchmark::State& state)
{
    const QDate date(2026, 12, 7);
    const QString line = formatSkedLine(sampleDay(date, 1, 1).first());
    TSkedRec r;
    for (auto _ : state) {
        benchmark::DoNotOptimize(parseSkedLine(line, date, &r));
    }
}
BENCHMARK(BM_ParseLine);

// Load and save of one day with state.range(0) schedules.
void BM_LoadSaveDay(benchmark::State& state)
{
    QTemporaryDir dir;
    const QDate date(2026, 12, 7);
    const QList<TSkedRec> recs = sampleDay(date, int(state.range(0)), 2);
    static_cast<void>(saveDay(dir.path(), date, recs));
    for (auto _ : state) {
        const TDayLoadResult day = loadDay(dir.path(), date);
        const TDayWriteResult r = saveDay(dir.path(), date, day->records);
        benchmark::DoNotOptimize(r.ok());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadSaveDay)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMicrosecond);

// Twenty years with schedules on about two days in three, one to six each.
class TwentyYears : public benchmark::Fixture
{
public:
    void SetUp(const benchmark::State&) override
    {
        if (m_dir) {
            return;
        }
        m_dir = std::make_unique<QTemporaryDir>();
        QRandomGenerator rng(3);
        const QDate first(2007, 1, 1);
        for (QDate d = first; d < first.addYears(20); d = d.addDays(1)) {
            if (rng.bounded(3) == 0) {
                continue;
            }
            static_cast<void>(saveDay(m_dir->path(), d, sampleDay(d, 1 + int(rng.bounded(6)), rng.generate())));
            ++m_files;
        }
    }
    std::unique_ptr<QTemporaryDir> m_dir;
    int m_files = 0;
};

BENCHMARK_DEFINE_F(TwentyYears, Scan)(benchmark::State& state)
{
    for (auto _ : state) {
        qint64 schedules = 0;
        for (const QDate& d : listDayFiles(m_dir->path())) {
            schedules += loadDay(m_dir->path(), d)->records.size();
        }
        benchmark::DoNotOptimize(schedules);
    }
    state.counters["files"] = m_files;
    state.SetItemsProcessed(state.iterations() * m_files);
}
BENCHMARK_REGISTER_F(TwentyYears, Scan)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
