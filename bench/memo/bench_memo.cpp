// "memo.nox" under load: 100 000 random writes, then reads, in-place
// overwrites, growing texts and deletes; every benchmark reports the cost
// of one operation ("per_op", seconds) and ends with a structural check.
// The files lie in memory (/dev/shm) where possible: on a disk every write
// also waits for the syncs of its journal and file, which this does not
// measure.
#include "store/recordfile.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace nox;

namespace
{

constexpr int kOps = 100000;

QString memoryBackedTemplate()
{
    const QString shm = QStringLiteral("/dev/shm");
    return (QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) + QStringLiteral("/nox-bench-XXXXXX");
}
constexpr int kDays = 40000; // about 110 years of day numbers
constexpr qint32 kFirstDay = 20000;

QByteArray memoText(QRandomGenerator& rng)
{
    return QByteArray(int(rng.bounded(8, 120)), char('a' + rng.bounded(26)));
}

void setPerOp(benchmark::State& state, int opsPerIteration)
{
    state.counters["per_op"] = benchmark::Counter(double(opsPerIteration) * double(state.iterations()),
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

bool checked(benchmark::State& state, RecordFile& file)
{
    const RecordFileCheck c = file.check();
    if (!c.ok) {
        state.SkipWithError(qPrintable(c.error));
    }
    return c.ok;
}

// A store that already holds kOps random writes.
struct FilledStore {
    QTemporaryDir dir{memoryBackedTemplate()};
    RecordFile file;
    FilledStore()
    {
        const QString path = dir.filePath("memo.nox");
        static_cast<void>(RecordFile::create(path));
        file.open(path);
        QRandomGenerator rng(1);
        for (int i = 0; i < kOps; ++i) {
            file.write(kFirstDay + qint32(rng.bounded(kDays)), memoText(rng));
        }
    }
};

void BM_RandomWrites(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir{memoryBackedTemplate()};
        const QString path = dir.filePath("memo.nox");
        static_cast<void>(RecordFile::create(path));
        RecordFile file;
        file.open(path);
        QRandomGenerator rng(1);
        state.ResumeTiming();
        for (int i = 0; i < kOps; ++i) {
            file.write(kFirstDay + qint32(rng.bounded(kDays)), memoText(rng));
        }
        state.PauseTiming();
        if (!checked(state, file)) {
            return;
        }
        state.counters["file_MB"] = double(QFileInfo(path).size()) / 1e6;
        state.ResumeTiming();
    }
    setPerOp(state, kOps);
}
BENCHMARK(BM_RandomWrites)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_RandomReads(benchmark::State& state)
{
    static FilledStore store;
    QRandomGenerator rng(2);
    QByteArray text;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            benchmark::DoNotOptimize(store.file.read(kFirstDay + qint32(rng.bounded(kDays)), text));
        }
    }
    setPerOp(state, 1000);
}
BENCHMARK(BM_RandomReads)->Unit(benchmark::kMillisecond);

void BM_InPlaceOverwrites(benchmark::State& state)
{
    static FilledStore store;
    QRandomGenerator rng(3);
    const QByteArray shortText("ok"); // never longer than a stored record
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            store.file.write(kFirstDay + qint32(rng.bounded(kDays)), shortText);
        }
    }
    setPerOp(state, 1000);
    checked(state, store.file);
}
BENCHMARK(BM_InPlaceOverwrites)->Unit(benchmark::kMillisecond);

void BM_GrowingOverwrites(benchmark::State& state)
{
    static FilledStore store;
    QRandomGenerator rng(4);
    int length = 200;
    for (auto _ : state) {
        // Longer than anything stored: delete + append each time.
        const QByteArray longer(length++, 'x');
        for (int i = 0; i < 1000; ++i) {
            store.file.write(kFirstDay + qint32(rng.bounded(kDays)), longer);
        }
    }
    setPerOp(state, 1000);
    checked(state, store.file);
}
BENCHMARK(BM_GrowingOverwrites)->Unit(benchmark::kMillisecond);

void BM_WritesAndDeletes(benchmark::State& state)
{
    static FilledStore store;
    QRandomGenerator rng(5);
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            const qint32 key = kFirstDay + qint32(rng.bounded(kDays));
            if (rng.bounded(2) == 0) {
                store.file.remove(key);
            } else {
                store.file.write(key, memoText(rng));
            }
        }
    }
    setPerOp(state, 1000);
    checked(state, store.file);
}
BENCHMARK(BM_WritesAndDeletes)->Unit(benchmark::kMillisecond);

void BM_FullCheck(benchmark::State& state)
{
    static FilledStore store;
    for (auto _ : state) {
        if (!checked(state, store.file)) {
            return;
        }
    }
}
BENCHMARK(BM_FullCheck)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
