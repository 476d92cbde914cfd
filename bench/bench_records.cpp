// SPDX-License-Identifier: GPL-3.0-or-later
// What the record store costs with ten years of sheets in it: storing one
// sheet, the questions the records window asks when it opens, opening the
// file, and the size of the file. Storing is also timed on an empty store in
// the same run, the baseline of its ratio. Absolute figures: storing must
// stay under 10 ms at the 99.9th percentile, the file under 30 MB.
#include "record_generator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The CPU time of this thread: on a shared machine the wall time of a slow
// store also holds the time other programs had the processor.
qint64 threadCpuNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

using namespace RecordGenerator;

// An open store on the generated file.
std::unique_ptr<RecordStore> openGenerated()
{
    auto store = std::make_unique<RecordStore>(generated().path);
    if (!store->open())
        qFatal("cannot open the generated database");
    return store;
}

void fileSize(benchmark::State& state)
{
    const QString path = generated().path;
    for (auto _ : state)
        benchmark::DoNotOptimize(QFileInfo(path).size());
    state.counters["MB"] = QFileInfo(path).size() / 1e6;
    state.counters["wal_MB"] = QFileInfo(path + u"-wal"_s).size() / 1e6;
    state.counters["sheets"] = GeneratedSheets;
}
BENCHMARK(fileSize)->Iterations(1);

// Stores a sheet after another, each timed: now and then a store also folds
// the journal back into the file, and the slowest stores are what a child
// could notice. On a copy, so the shared file keeps its GeneratedSheets
// sheets.
void addSheet(benchmark::State& state, bool full)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(u"records.sqlite"_s);
    if (full)
        QFile::copy(generated().path, copy);
    RecordStore store(copy);
    if (!store.open())
        qFatal("cannot open the copy");
    QRandomGenerator random(1);
    std::mt19937 spread(1);
    const QDateTime at(generated().lastDay.addDays(1), QTime(17, 0));
    int n = 0;
    std::vector<qint64> took;
    std::vector<qint64> cpu;
    QElapsedTimer timer;
    for (auto _ : state) {
        state.PauseTiming();
        const FinishedSheet sheet = practisedSheet(AllKinds[n++ % 4], at, 0.7, random, spread);
        state.ResumeTiming();
        timer.start();
        const qint64 cpuStart = threadCpuNanoseconds();
        if (store.add(sheet))
            state.SkipWithError("not stored");
        took.push_back(timer.nsecsElapsed());
        cpu.push_back(threadCpuNanoseconds() - cpuStart);
    }
    std::sort(took.begin(), took.end());
    std::sort(cpu.begin(), cpu.end());
    const auto at999 = took[std::min(took.size() - 1, took.size() * 999 / 1000)];
    state.counters["p999_ms"] = at999 / 1e6;
    state.counters["cpu_p999_ms"] = cpu[std::min(cpu.size() - 1, cpu.size() * 999 / 1000)] / 1e6;
    state.counters["slowest_ms"] = took.back() / 1e6;
    state.counters["over_10ms"]
        = double(took.end() - std::upper_bound(took.begin(), took.end(), 10'000'000));
}
BENCHMARK_CAPTURE(addSheet, stored20000, true)->Iterations(3000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(addSheet, empty, false)->Iterations(3000)->Unit(benchmark::kMillisecond);

// What the records window's table reads after every sheet: the newest batch.
void newestBatch(benchmark::State& state)
{
    auto store = openGenerated();
    for (auto _ : state)
        benchmark::DoNotOptimize(store->sheets(SheetRange().atMost(200)));
}
BENCHMARK(newestBatch)->Unit(benchmark::kMillisecond);

// Opening checks the whole file; closing folds the journal back into it.
void openStore(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(openGenerated());
}
BENCHMARK(openStore)->Unit(benchmark::kMillisecond);

void sheetsOfKind(benchmark::State& state)
{
    auto store = openGenerated();
    for (auto _ : state)
        benchmark::DoNotOptimize(store->sheets(SheetRange().ofKind(Kind::Multiplication)));
}
BENCHMARK(sheetsOfKind)->Unit(benchmark::kMillisecond);

void dailyBest30Days(benchmark::State& state)
{
    auto store = openGenerated();
    const QDate from = generated().lastDay.addDays(-29);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            store->dailyBest(RecordStore::FirstChild, Kind::Multiplication, from));
}
BENCHMARK(dailyBest30Days)->Unit(benchmark::kMillisecond);

void dailyBestAllDays(benchmark::State& state)
{
    auto store = openGenerated();
    for (auto _ : state)
        benchmark::DoNotOptimize(store->dailyBest(RecordStore::FirstChild, Kind::Multiplication));
}
BENCHMARK(dailyBestAllDays)->Unit(benchmark::kMillisecond);

void practiceDays8Weeks(benchmark::State& state)
{
    auto store = openGenerated();
    const QDate last = generated().lastDay;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            store->practiceDays(RecordStore::FirstChild, last.addDays(-55), last));
}
BENCHMARK(practiceDays8Weeks)->Unit(benchmark::kMillisecond);

void facts10Sheets(benchmark::State& state)
{
    auto store = openGenerated();
    for (auto _ : state)
        benchmark::DoNotOptimize(store->facts(RecordStore::FirstChild, Kind::Multiplication, 10));
}
BENCHMARK(facts10Sheets)->Unit(benchmark::kMillisecond);

// Everything the records window reads when it opens on one kind.
void recordsWindowQueries(benchmark::State& state)
{
    auto store = openGenerated();
    const QDate last = generated().lastDay;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store->sheets(SheetRange().ofKind(Kind::Multiplication)));
        benchmark::DoNotOptimize(
            store->dailyBest(RecordStore::FirstChild, Kind::Multiplication, last.addDays(-29)));
        benchmark::DoNotOptimize(
            store->practiceDays(RecordStore::FirstChild, last.addDays(-55), last));
        benchmark::DoNotOptimize(store->facts(RecordStore::FirstChild, Kind::Multiplication, 10));
    }
}
BENCHMARK(recordsWindowQueries)->Unit(benchmark::kMillisecond);

void allSheets(benchmark::State& state)
{
    auto store = openGenerated();
    for (auto _ : state)
        benchmark::DoNotOptimize(store->sheets());
}
BENCHMARK(allSheets)->Unit(benchmark::kMillisecond);

void csvOfAll(benchmark::State& state)
{
    auto store = openGenerated();
    for (auto _ : state)
        benchmark::DoNotOptimize(store->csv());
}
BENCHMARK(csvOfAll)->Unit(benchmark::kMillisecond);

// Keeps the 99.9th percentiles of the stores, so the ratio can be printed at
// the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const auto p999 = run.counters.find("p999_ms");
            if (p999 != run.counters.end())
                p999ms[run.run_name.function_name] = p999->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatio() const
    {
        const auto full = p999ms.find("addSheet/stored20000");
        const auto empty = p999ms.find("addSheet/empty");
        if (full == p999ms.end() || empty == p999ms.end() || empty->second <= 0)
            return;
        std::printf("storing a sheet, p99.9 (ms): %.3g with %d sheets against %.3g with none, "
                    "ratio %.2f\n",
            full->second, GeneratedSheets, empty->second, full->second / empty->second);
    }

private:
    std::map<std::string, double> p999ms;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // Made before the first case, so no case's time holds the generating.
    generated();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio();
    benchmark::Shutdown();
    return 0;
}
