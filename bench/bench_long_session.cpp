// SPDX-License-Identifier: GPL-3.0-or-later
// Whether memory creeps over a long session: a hundred sheets of all four
// kinds played through the practice with no window, back to back, each one
// stored. The heap in use after the hundredth sheet is reported against the
// heap after the twentieth of the same run (by then the store and its caches
// are warm), so a list that grows with every sheet shows as a ratio above 1.
//
//   build/bench/bench_long_session
#include "drill_player.h"
#include "practice/machine_practice.h"
#include "practice/practice.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstddef>
#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's runtime has it; its header does not come with every compiler.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

using namespace Qt::StringLiterals;

namespace {

// The bytes allocated and not freed: the sanitizer's allocator counts its
// own (it holds freed memory back, so resident memory would say nothing).
double heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<double>(__sanitizer_get_current_allocated_bytes());
#else
    return static_cast<double>(mallinfo2().uordblks);
#endif
}

void longSession(benchmark::State& state)
{
    for (auto _ : state) {
        QTemporaryDir folder;
        ManualClock clock;
        MachinePractice machine({
            .settings = {folder.filePath(u"Varolin.ini"_s), true},
            .records = folder.filePath(u"records.sqlite"_s),
            .seed = 20250210,
            .monotonic = clock.function(),
            .now = [] { return QDateTime(QDate(2025, 2, 10), QTime(9, 30)); },
            .unsavedNote = folder.filePath(u"note"_s),
        });
        Practice& practice = machine.practice();
        bool failed = false;
        QObject::connect(&practice, &Practice::failed, [&failed] { failed = true; });
        practice.startUp();
        if (failed)
            state.SkipWithError("the practice could not start on a fresh folder");
        double atTwenty = 0;
        for (int sheet = 1; sheet <= 100; ++sheet) {
            playSheet(practice.drill(), &clock, 60 + sheet * 37 % 90);
            practice.verdictRead();
            practice.switchKind();
            if (sheet == 20)
                atTwenty = heapInUse();
        }
        state.counters["heap_after_20_KiB"] = atTwenty / 1024;
        state.counters["heap_after_100_KiB"] = heapInUse() / 1024;
        state.counters["ratio_100_to_20"] = heapInUse() / atTwenty;
        if (!practice.end())
            state.SkipWithError("the settings were not saved");
    }
}
BENCHMARK(longSession)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
