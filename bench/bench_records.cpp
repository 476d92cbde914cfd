// SPDX-License-Identifier: GPL-3.0-or-later
// What the record store costs with ten years of sheets in it: storing one
// sheet, the questions the records window asks when it opens, opening the
// file, and the size of the file. Absolute figures: storing must stay under
// 10 ms, the file under 30 MB.
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
#include <memory>
#include <random>

using namespace Qt::StringLiterals;

namespace {

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

// On a copy, so the shared file keeps its GeneratedSheets sheets.
void addSheet(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(u"records.sqlite"_s);
    QFile::copy(generated().path, copy);
    RecordStore store(copy);
    if (!store.open())
        qFatal("cannot open the copy");
    QRandomGenerator random(1);
    std::mt19937 spread(1);
    const QDateTime at(generated().lastDay.addDays(1), QTime(17, 0));
    int n = 0;
    // Now and then a store also folds the journal back into the file; the
    // slowest store is what a child could notice.
    qint64 slowest = 0;
    int over10ms = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        state.PauseTiming();
        const FinishedSheet sheet = practisedSheet(AllKinds[n++ % 4], at, 0.7, random, spread);
        state.ResumeTiming();
        timer.start();
        if (!store.add(sheet))
            state.SkipWithError("not stored");
        slowest = std::max(slowest, timer.nsecsElapsed());
        over10ms += timer.nsecsElapsed() > 10'000'000;
    }
    state.counters["slowest_ms"] = slowest / 1e6;
    state.counters["over_10ms"] = over10ms;
}
BENCHMARK(addSheet)->Unit(benchmark::kMillisecond);

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
        benchmark::DoNotOptimize(store->sheets(Kind::Multiplication));
}
BENCHMARK(sheetsOfKind)->Unit(benchmark::kMillisecond);

void dailyBest30Days(benchmark::State& state)
{
    auto store = openGenerated();
    const QDate from = generated().lastDay.addDays(-29);
    for (auto _ : state)
        benchmark::DoNotOptimize(store->dailyBest(Kind::Multiplication, from));
}
BENCHMARK(dailyBest30Days)->Unit(benchmark::kMillisecond);

void dailyBestAllDays(benchmark::State& state)
{
    auto store = openGenerated();
    for (auto _ : state)
        benchmark::DoNotOptimize(store->dailyBest(Kind::Multiplication));
}
BENCHMARK(dailyBestAllDays)->Unit(benchmark::kMillisecond);

void practiceDays8Weeks(benchmark::State& state)
{
    auto store = openGenerated();
    const QDate last = generated().lastDay;
    for (auto _ : state)
        benchmark::DoNotOptimize(store->practiceDays(last.addDays(-55), last));
}
BENCHMARK(practiceDays8Weeks)->Unit(benchmark::kMillisecond);

void facts10Sheets(benchmark::State& state)
{
    auto store = openGenerated();
    for (auto _ : state)
        benchmark::DoNotOptimize(store->facts(Kind::Multiplication, 10));
}
BENCHMARK(facts10Sheets)->Unit(benchmark::kMillisecond);

// Everything the records window reads when it opens on one kind.
void recordsWindowQueries(benchmark::State& state)
{
    auto store = openGenerated();
    const QDate last = generated().lastDay;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store->sheets(Kind::Multiplication));
        benchmark::DoNotOptimize(store->dailyBest(Kind::Multiplication, last.addDays(-29)));
        benchmark::DoNotOptimize(store->practiceDays(last.addDays(-55), last));
        benchmark::DoNotOptimize(store->facts(Kind::Multiplication, 10));
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // Made before the first case, so no case's time holds the generating.
    generated();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
