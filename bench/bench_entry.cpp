// How fast answer entry is on the real key path: key events into the real
// cells of a window on the fake desktop (offscreen), each measured against a
// bare QLineEdit receiving the same key events in the same run.
//
//   build/bench/bench_entry [--benchmark_repetitions=5]
#include "form_fixture.h"
#include "sheet_player.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
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

// Keys of a whole addition sheet, cell by cell.
std::vector<QString> sheetKeys(const Form1& form)
{
    std::vector<QString> keys;
    for (int cell = 0; cell < 100; ++cell)
        keys.push_back(SheetPlayer::answerText(form, cell));
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

void BM_Sheet_Varolin(benchmark::State& state)
{
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    const std::vector<QString> keys = sheetKeys(form);
    for (auto _ : state) {
        form.Btn_Click(1);
        for (int cell = 0; cell < 100; ++cell)
            QTest::keyClicks(form.Data[cell], keys[cell]);
        if (!form.state.idle) {
            state.SkipWithError("the sheet did not finish");
            break;
        }
        fixture.desktop.shown.clear();
    }
}

void BM_Sheet_BareLineEdit(benchmark::State& state)
{
    FormFixture fixture;
    const std::vector<QString> keys = sheetKeys(fixture.make());
    QLineEdit edit;
    edit.show();
    for (auto _ : state) {
        for (const QString& answer : keys)
            QTest::keyClicks(&edit, answer);
        edit.clear();
    }
}

void BM_Keystroke_Varolin(benchmark::State& state)
{
    // Every cell asks for a one-digit answer, so each key is judged and
    // opens the next cell.
    FormFixture fixture;
    Form1& form = fixture.make();
    form.show();
    for (int k = 1; k <= 10; ++k)
        form.L[k]->setText(u"0"_s);
    for (int k = 11; k <= 20; ++k)
        form.L[k]->setText(QString::number(k - 11));
    form.Btn_Click(1);

    std::vector<double> micros;
    micros.reserve(1 << 16);
    for (auto _ : state) {
        const int cell = form.state.currentCell;
        const char digit = static_cast<char>('0' + cell % 10);
        const auto begin = Clock::now();
        QTest::keyClick(form.Data[cell], digit);
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - begin).count());
        if (form.state.currentCell != cell + 1) {
            state.SkipWithError("the key was not taken");
            break;
        }
        if (form.state.currentCell == 98) {
            // The last cell would end the sheet: start over instead.
            state.PauseTiming();
            fixture.desktop.answers = {Desktop::Answer::Yes};
            form.Btn_Click(2);
            form.Btn_Click(1);
            state.ResumeTiming();
        }
    }
    reportPercentiles(state, micros);
}

void BM_Keystroke_BareLineEdit(benchmark::State& state)
{
    QLineEdit edit;
    edit.show();
    std::vector<double> micros;
    micros.reserve(1 << 16);
    int typed = 0;
    for (auto _ : state) {
        const auto begin = Clock::now();
        QTest::keyClick(&edit, static_cast<char>('0' + typed % 10));
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - begin).count());
        if (++typed % 98 == 0) {
            state.PauseTiming();
            edit.clear();
            state.ResumeTiming();
        }
    }
    reportPercentiles(state, micros);
}

BENCHMARK(BM_Sheet_Varolin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sheet_BareLineEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Keystroke_Varolin)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Keystroke_BareLineEdit)->Unit(benchmark::kMicrosecond);

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
