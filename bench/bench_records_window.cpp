// SPDX-License-Identifier: GPL-3.0-or-later
// What the records window costs with ten years of sheets in the store, spread
// over four children: opening it and drawing it whole (offscreen), the view
// over every day, a change of kind, a change of child, and the refresh after
// a sheet was stored; the last two are also timed on an empty store in the
// same run, the baseline of their ratios. Absolute figures: opening and
// drawing must stay under 150 ms, the refresh after a sheet under 30 ms, a
// change of child under 50 ms.
#include "app/records_window.h"
#include "drill/sheet.h"
#include "fake_desktop.h"
#include "practice/machine_practice.h"
#include "practice/practice.h"
#include "record_generator.h"
#include "records/record_store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QRadioButton>
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

// A practice over `records`, its settings file in a folder of its own.
struct PracticeOver
{
    explicit PracticeOver(const QString& records)
        : written(records)
        , machine({
              .settings = {settings.filePath(u"Varolin.ini"_s), true},
              .records = records,
              .monotonic = [] { return qint64(0); },
              .now = [] { return QDateTime::currentDateTime(); },
              .unsavedNote = {},
          })
    {
        if (!practice.openRecords() || !written.open())
            qFatal("cannot open %s", qPrintable(records));
    }

    RecordStore& store() { return written; }

    QTemporaryDir settings;
    // Sheets are added beside the practice, as another run would.
    RecordStore written;
    MachinePractice machine;
    Practice& practice = machine.practice();
};

// The records window on the generated database.
struct Generated
{
    PracticeOver over{RecordGenerator::generatedFamily().path};
    Practice& practice = over.practice;
    RecordStore& store = over.store();
    QDate lastDay = RecordGenerator::generatedFamily().lastDay;
};

Generated& generated()
{
    static Generated database;
    return database;
}

struct Opened
{
    Opened()
    {
        desktop.clock = QDateTime(generated().lastDay, QTime(19, 0));
        window = std::make_unique<RecordsWindow>(
            machineRecords(generated().practice), Kind::Multiplication, desktop);
        window->setBestTimes(BestTimes({70, 80, 90, 120}));
        window->show();
        window->grab();
    }

    FakeDesktop desktop;
    std::unique_ptr<RecordsWindow> window;
};

// Made, laid out and painted whole, as on the screen.
void openAndDraw(benchmark::State& state)
{
    FakeDesktop desktop;
    desktop.clock = QDateTime(generated().lastDay, QTime(19, 0));
    for (auto _ : state) {
        RecordsWindow window(machineRecords(generated().practice), Kind::Multiplication, desktop);
        window.setBestTimes(BestTimes({70, 80, 90, 120}));
        window.show();
        benchmark::DoNotOptimize(window.grab());
    }
    state.counters["sheets"] = generated().store.count().value_or(-1);
    state.counters["shown"]
        = generated().store.sheetCount(generated().practice.child().id).value_or(-1);
}
BENCHMARK(openAndDraw)->Unit(benchmark::kMillisecond);

void allDaysView(benchmark::State& state)
{
    Opened opened;
    bool all = false;
    for (auto _ : state) {
        opened.window->findChild<QRadioButton*>((all = !all) ? u"allDays"_s : u"lastDays"_s)
            ->setChecked(true);
        benchmark::DoNotOptimize(opened.window->grab());
    }
}
BENCHMARK(allDaysView)->Unit(benchmark::kMillisecond);

void kindSwitch(benchmark::State& state)
{
    Opened opened;
    int n = 0;
    for (auto _ : state) {
        opened.window->setKind(AllKinds[++n % 4]);
        benchmark::DoNotOptimize(opened.window->grab());
    }
}
BENCHMARK(kindSwitch)->Unit(benchmark::kMillisecond);

// Wall and CPU times of each iteration, for the 99th percentile.
struct Percentiles
{
    std::vector<qint64> took;
    std::vector<qint64> cpu;
    QElapsedTimer timer;
    qint64 cpuStart = 0;

    void start()
    {
        timer.start();
        cpuStart = threadCpuNanoseconds();
    }
    void stop()
    {
        took.push_back(timer.nsecsElapsed());
        cpu.push_back(threadCpuNanoseconds() - cpuStart);
    }
    void report(benchmark::State& state)
    {
        std::sort(took.begin(), took.end());
        std::sort(cpu.begin(), cpu.end());
        state.counters["cpu_p99_ms"] = cpu[std::min(cpu.size() - 1, cpu.size() * 99 / 100)] / 1e6;
        state.counters["p99_ms"] = took[std::min(took.size() - 1, took.size() * 99 / 100)] / 1e6;
        state.counters["slowest_ms"] = took.back() / 1e6;
    }
};

// The open window shows the next of the four children and is drawn whole:
// on the generated file, or on four children with no sheet for the
// baseline.
void childSwitch(benchmark::State& state, bool full)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(u"records.sqlite"_s);
    if (full)
        QFile::copy(RecordGenerator::generatedFamily().path, copy);
    PracticeOver over(copy);
    if (!full) {
        for (const char16_t* name : {u"に", u"さん", u"よん"}) {
            if (!over.practice.addChild(QString::fromUtf16(name))) {
                state.SkipWithError("a child could not be added");
                return;
            }
        }
    }
    QList<qint64> children;
    for (const Child& each : over.practice.children())
        children.append(each.id);
    if (children.size() != 4)
        qFatal("%d children, not 4", int(children.size()));
    FakeDesktop desktop;
    desktop.clock = QDateTime(generated().lastDay, QTime(19, 0));
    RecordsWindow window(machineRecords(over.practice), Kind::Multiplication, desktop);
    window.show();
    window.grab();
    Percentiles times;
    int n = 0;
    for (auto _ : state) {
        times.start();
        window.showChild(children[++n % 4]);
        benchmark::DoNotOptimize(window.grab());
        times.stop();
    }
    times.report(state);
}
BENCHMARK_CAPTURE(childSwitch, stored20000, true)->Iterations(100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(childSwitch, empty, false)->Iterations(100)->Unit(benchmark::kMillisecond);

// What the main window asks of an open records window after every sheet:
// the sheet is stored (not timed), then the window reads the store again and
// is told the best times, and, with `paint`, is drawn whole. On a copy of the
// generated file, or on an empty store for the baseline.
void refreshAfterSheet(benchmark::State& state, bool full, bool paint)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(u"records.sqlite"_s);
    if (full)
        QFile::copy(RecordGenerator::generatedFamily().path, copy);
    PracticeOver over(copy);
    RecordStore& store = over.store();
    FakeDesktop desktop;
    desktop.clock = QDateTime(generated().lastDay, QTime(19, 0));
    RecordsWindow window(machineRecords(over.practice), Kind::Multiplication, desktop);
    const BestTimes best({70, 80, 90, 120});
    window.setBestTimes(best);
    window.show();
    window.grab();
    QRandomGenerator random(3);
    std::mt19937 spread(3);
    int n = 0;
    Percentiles times;
    for (auto _ : state) {
        state.PauseTiming();
        const QDateTime at(generated().lastDay, QTime(19, 0).addSecs(n));
        if (store.add(RecordGenerator::practisedSheet(AllKinds[n++ % 4], at, 0.7, random, spread)))
            state.SkipWithError("not stored");
        state.ResumeTiming();
        times.start();
        window.refresh();
        window.setBestTimes(best);
        if (paint)
            benchmark::DoNotOptimize(window.grab());
        times.stop();
    }
    times.report(state);
}
BENCHMARK_CAPTURE(refreshAfterSheet, stored20000, true, false)
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(refreshAfterSheet, empty, false, false)
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(refreshAfterSheet, stored20000_painted, true, true)
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(refreshAfterSheet, empty_painted, false, true)
    ->Iterations(100)
    ->Unit(benchmark::kMillisecond);

// Keeps the mean times of the refreshes, so the ratios can be printed at the
// end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const auto p99 = run.counters.find("p99_ms");
            if (p99 != run.counters.end())
                figures[run.run_name.function_name]
                    = {run.GetAdjustedRealTime(), p99->second.value};
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const
    {
        const auto full = figures.find("childSwitch/stored20000");
        const auto empty = figures.find("childSwitch/empty");
        if (full != figures.end() && empty != figures.end() && empty->second.first > 0) {
            std::printf("change of child, drawn whole (ms): mean %.3g, p99 %.3g with 20000 "
                        "sheets over four children against mean %.3g, p99 %.3g with none; "
                        "ratio of means %.2f\n",
                full->second.first, full->second.second, empty->second.first, empty->second.second,
                full->second.first / empty->second.first);
        }
        for (const char* painted : {"", "_painted"}) {
            const auto full = figures.find(std::string("refreshAfterSheet/stored20000") + painted);
            const auto empty = figures.find(std::string("refreshAfterSheet/empty") + painted);
            if (full == figures.end() || empty == figures.end() || empty->second.first <= 0)
                continue;
            std::printf("refresh after a sheet%s (ms): mean %.3g, p99 %.3g with 20000 sheets "
                        "against mean %.3g, p99 %.3g with none; ratio of means %.2f\n",
                *painted ? ", drawn whole" : "", full->second.first, full->second.second,
                empty->second.first, empty->second.second,
                full->second.first / empty->second.first);
        }
    }

private:
    std::map<std::string, std::pair<double, double>> figures;
};

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform says at every show() that it cannot pass size
    // hints on; the figures are easier to read without it.
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.contains(u"propagateSizeHints"_s))
                previous(type, context, message);
        });
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
