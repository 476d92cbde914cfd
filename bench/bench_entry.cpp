// SPDX-License-Identifier: GPL-3.0-or-later
// How fast answer entry is on the real key path: key events into the real
// cells of the main window on the fake desktop (offscreen), each measured
// against a bare QLineEdit receiving the same key events in the same run.
//
//   build/bench/bench_entry [--benchmark_repetitions=5]
#include "sheet_player.h"
#include "window_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

// Keys of a whole addition sheet, cell by cell, read off the headers.
std::vector<QString> sheetKeys(const WindowFixture& fixture)
{
    std::vector<QString> keys;
    for (int cell = 0; cell < 100; ++cell)
        keys.push_back(QString::number(SheetPlayer::answer(fixture, cell)));
    return keys;
}

void reportPercentiles(benchmark::State& state, std::vector<double>& micros)
{
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    auto at = [&](double share) {
        return micros[std::min(micros.size() - 1, static_cast<size_t>(share * micros.size()))];
    };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
    state.counters["max_us"] = micros.back();
}

// Types `key` and reports how long it took as the iteration's time.
double timedKey(benchmark::State& state, QWidget* target, QChar key)
{
    const auto begin = Clock::now();
    QTest::keyClick(target, key.toLatin1());
    const std::chrono::duration<double> took = Clock::now() - begin;
    state.SetIterationTime(took.count());
    return took.count() * 1e6;
}

void BM_Sheet_Varolin(benchmark::State& state)
{
    WindowFixture fixture;
    fixture.make();
    const std::vector<QString> keys = sheetKeys(fixture);
    QPushButton* start = fixture.button(u"startButton"_s);
    for (auto _ : state) {
        QTest::mouseClick(start, Qt::LeftButton);
        for (int cell = 0; cell < 100; ++cell)
            QTest::keyClicks(fixture.cell(cell), keys[cell]);
        // The verdict comes once the last key's step is over.
        QCoreApplication::sendPostedEvents();
        if (!start->isEnabled() || fixture.desktop.shown.size() != 1) {
            state.SkipWithError("the sheet did not finish");
            break;
        }
        fixture.desktop.shown.clear();
    }
}

void BM_Sheet_BareLineEdit(benchmark::State& state)
{
    WindowFixture fixture;
    fixture.make();
    const std::vector<QString> keys = sheetKeys(fixture);
    fixture.window.reset();
    QLineEdit edit;
    edit.show();
    for (auto _ : state) {
        for (const QString& answer : keys)
            QTest::keyClicks(&edit, answer);
        edit.clear();
    }
}

// The key that completes an answer: judged, the cell locked and the next
// one opened. A tens digit before it is typed outside the measured time.
void BM_Keystroke_Varolin(benchmark::State& state)
{
    WindowFixture fixture;
    fixture.make();
    const std::vector<QString> keys = sheetKeys(fixture);
    fixture.click(u"startButton"_s);

    std::vector<double> micros;
    micros.reserve(1 << 16);
    int cell = 0;
    for (auto _ : state) {
        AnswerCell* box = fixture.cell(cell);
        const QString& answer = keys[cell];
        if (answer.size() > 1)
            QTest::keyClick(box, answer[0].toLatin1());
        micros.push_back(timedKey(state, box, answer.back()));
        if (box->isEnabled() || !fixture.cell(cell + 1)->isEnabled()) {
            state.SkipWithError("the key was not taken");
            break;
        }
        if (++cell == 99) {
            // The last cell would end the sheet: start over instead.
            fixture.desktop.answers = {Desktop::Answer::Yes};
            fixture.click(u"stopButton"_s);
            fixture.click(u"startButton"_s);
            cell = 0;
        }
    }
    reportPercentiles(state, micros);
}

void BM_Keystroke_BareLineEdit(benchmark::State& state)
{
    WindowFixture fixture;
    fixture.make();
    const std::vector<QString> keys = sheetKeys(fixture);
    fixture.window.reset();
    QLineEdit edit;
    edit.show();
    std::vector<double> micros;
    micros.reserve(1 << 16);
    int cell = 0;
    for (auto _ : state) {
        const QString& answer = keys[cell];
        if (answer.size() > 1)
            QTest::keyClick(&edit, answer[0].toLatin1());
        micros.push_back(timedKey(state, &edit, answer.back()));
        if (++cell == 99) {
            edit.clear();
            cell = 0;
        }
    }
    reportPercentiles(state, micros);
}

BENCHMARK(BM_Sheet_Varolin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sheet_BareLineEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Keystroke_Varolin)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Keystroke_BareLineEdit)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Keeps the real time of every run so the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    RatioReporter()
        : ConsoleReporter(OO_Tabular)
    { }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration;
            if (single || run.aggregate_name == "mean")
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
            if (single || run.aggregate_name == "median") {
                const auto p99 = run.counters.find("p99_us");
                if (p99 != run.counters.end())
                    percentiles[run.run_name.function_name] = p99->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const
    {
        auto ratio = [this](const char* ours, const char* bare, const char* what) {
            const auto a = times.find(ours);
            const auto b = times.find(bare);
            if (a == times.end() || b == times.end() || b->second <= 0)
                return;
            std::printf("%s: %.3g against %.3g, ratio %.2f\n", what, a->second, b->second,
                a->second / b->second);
        };
        ratio("BM_Sheet_Varolin", "BM_Sheet_BareLineEdit", "whole sheet (ms)");
        ratio("BM_Keystroke_Varolin", "BM_Keystroke_BareLineEdit", "keystroke, mean (us)");
        // With repetitions: the mean time and the median of the p99s.
        const auto a = percentiles.find("BM_Keystroke_Varolin");
        const auto b = percentiles.find("BM_Keystroke_BareLineEdit");
        if (a != percentiles.end() && b != percentiles.end() && b->second > 0)
            std::printf("keystroke, p99 (us): %.3g against %.3g, ratio %.2f\n", a->second,
                b->second, a->second / b->second);
    }

private:
    std::map<std::string, double> times;
    std::map<std::string, double> percentiles;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
