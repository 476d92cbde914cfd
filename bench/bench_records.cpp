// SPDX-License-Identifier: GPL-3.0-or-later
// What the record store costs with ten years of sheets in it: storing one
// sheet, the questions the records window asks when it opens, opening the
// file, and the size of the file. Absolute figures: storing must stay under
// 10 ms, the file under 30 MB.
#include "drill/arithmetic.h"
#include "drill/sheet.h"
#include "records/record_store.h"

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

constexpr int GeneratedSheets = 20000;

// A child's sheet on a given day: each fact takes a time that shrinks as the
// years of practice go by, harder facts longer, now and then a wrong digit.
FinishedSheet practisedSheet(Kind kind, const QDateTime& finishedAt, double skill,
    QRandomGenerator& random, std::mt19937& spread)
{
    FinishedSheet finished;
    finished.sheet = drawSheet(kind, random);
    finished.finishedAt = finishedAt;
    std::lognormal_distribution<double> pause(0.0, 0.35);
    double total = 0;
    for (int cell = 0; cell <= finished.sheet.lastCell(); ++cell) {
        if (!finished.sheet.inPlay(cell))
            continue;
        const int left = finished.sheet.left(cell);
        const int top = finished.sheet.top(cell);
        const double hard = 1.0 + (left + top % 10) / 12.0;
        const int milliseconds = int(1800.0 * hard * skill * pause(spread));
        const int wrong = random.bounded(100) < 4 ? 1 + random.bounded(2) : 0;
        finished.cells.push_back({cell, left, top,
            expectedAnswer(left, top, kindNumber(kind)).value_or(0), milliseconds, wrong});
        finished.wrongDigits += wrong;
        total += milliseconds;
    }
    finished.seconds = int(total / 1000);
    return finished;
}

// One database of GeneratedSheets sheets, made once and shared by every case:
// about ten years of daily practice, five or six sheets a day over the four
// kinds, kept in one time zone with two years in another.
struct Generated
{
    QTemporaryDir dir;
    QString path;
    QDate lastDay;

    Generated()
        : path(dir.filePath(u"records.sqlite"_s))
    {
        // Kept for a look with sqlite3 when asked.
        if (qEnvironmentVariableIsSet("VAROLIN_BENCH_KEEP")) {
            dir.setAutoRemove(false);
            qInfo("generated database: %s", qPrintable(path));
        }
        RecordStore store(path);
        if (!store.open())
            qFatal("cannot open %s", qPrintable(path));
        QRandomGenerator random(20261207);
        std::mt19937 spread(7);
        QDate day(2016, 12, 8);
        int stored = 0;
        std::array<int, 4> best = {600, 600, 600, 600};
        while (stored < GeneratedSheets) {
            const int offset = day.year() >= 2020 && day.year() < 2022 ? -5 * 3600 : 9 * 3600;
            const double skill = 1.6 - 0.9 * stored / GeneratedSheets;
            const int today = 5 + random.bounded(2);
            for (int n = 0; n < today && stored < GeneratedSheets; ++n, ++stored) {
                const Kind kind = AllKinds[n % 4];
                const QDateTime at(day, QTime(16, 0).addSecs(n * 900 + random.bounded(600)),
                    Qt::OffsetFromUTC, offset);
                FinishedSheet sheet = practisedSheet(kind, at, skill, random, spread);
                sheet.record = sheet.seconds < best[n % 4];
                best[n % 4] = std::min(best[n % 4], sheet.seconds);
                if (!store.add(sheet))
                    qFatal("cannot store sheet %d", stored);
            }
            lastDay = day;
            day = day.addDays(1);
        }
    }
};

Generated& generated()
{
    static Generated database;
    return database;
}

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
