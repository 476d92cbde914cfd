// SPDX-License-Identifier: GPL-3.0-or-later
// What the records window costs with ten years of sheets in the store: opening
// it and drawing it whole (offscreen), the view over every day, a change of
// kind, and the refresh after a sheet was stored. Absolute figures: opening
// and drawing must stay under 150 ms.
#include "app/records_window.h"
#include "drill/sheet.h"
#include "fake_desktop.h"
#include "record_generator.h"
#include "records/record_store.h"

#include <QApplication>
#include <QPixmap>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The records window on the generated database.
struct Generated
{
    RecordStore store{RecordGenerator::generated().path};
    QDate lastDay = RecordGenerator::generated().lastDay;

    Generated()
    {
        if (!store.open())
            qFatal("cannot open %s", qPrintable(store.path()));
    }
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
        window = std::make_unique<RecordsWindow>(generated().store, Kind::Multiplication, desktop);
        window->setBestTimes({70, 80, 90, 120});
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
        RecordsWindow window(generated().store, Kind::Multiplication, desktop);
        window.setBestTimes({70, 80, 90, 120});
        window.show();
        benchmark::DoNotOptimize(window.grab());
    }
    state.counters["sheets"] = generated().store.count();
}
BENCHMARK(openAndDraw)->Unit(benchmark::kMillisecond);

void allDaysView(benchmark::State& state)
{
    Opened opened;
    bool all = false;
    for (auto _ : state) {
        opened.window->setShowsAllDays(all = !all);
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

// After every finished sheet.
void refreshAfterSheet(benchmark::State& state)
{
    Opened opened;
    for (auto _ : state) {
        opened.window->refresh();
        benchmark::DoNotOptimize(opened.window->grab());
    }
}
BENCHMARK(refreshAfterSheet)->Unit(benchmark::kMillisecond);

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
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
