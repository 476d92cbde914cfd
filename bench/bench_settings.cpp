// SPDX-License-Identifier: GPL-3.0-or-later
// What a save costs: the text edit alone, and a whole save of the eight keys
// as one replacement of the file, against the same keys replaced one by one.
#include "settings/profile.h"
#include "settings/settings_file.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray tenLines = "[General]\r\nWin_Top=960\r\nWin_Lft=2310\r\n[Parameter]\r\n"
                            "T_MinTM=600\r\nH_MinTM=600\r\nK_MonTM=600\r\nCalc_Md=0\r\n"
                            "LimTM=600\r\nW_MinTM=600\r\n";

void writeValue(benchmark::State& state)
{
    int value = 0;
    for (auto _ : state) {
        auto written = Profile::writeValue(
            tenLines, "Parameter", "W_MinTM", QByteArray::number(++value % 600));
        benchmark::DoNotOptimize(written);
    }
}
BENCHMARK(writeValue);

void readInt(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Profile::readInt(tenLines, "Parameter", "W_MinTM", -1));
}
BENCHMARK(readInt);

// Every value changes, so every key is written: one replacement of the file.
void saveAtOnce(benchmark::State& state)
{
    QTemporaryDir dir;
    const SettingsFile file(SettingsLocation{dir.filePath(u"Varolin.ini"_s), true});
    Settings settings;
    int value = 0;
    for (auto _ : state) {
        ++value;
        for (const Kind kind : AllKinds)
            settings.bestTimes.set(kind, value % 600 + 1);
        settings.timeLimit = value % 600;
        settings.windowTwips = QPoint(value, value);
        if (file.save(settings))
            state.SkipWithError("the save failed");
    }
}
BENCHMARK(saveAtOnce)->Unit(benchmark::kMillisecond);

// The baseline: the same eight keys, each its own replacement of the file.
void saveKeyByKey(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Varolin.ini"_s);
    QByteArray text = tenLines;
    int value = 0;
    for (auto _ : state) {
        ++value;
        for (const char* key : {"Win_Top", "Win_Lft"}) {
            text = *Profile::writeValue(text, "General", key, QByteArray::number(value));
            if (!Profile::writeFile(path, text))
                state.SkipWithError("a write failed");
        }
        for (const char* key : {"T_MinTM", "H_MinTM", "K_MonTM", "Calc_Md", "LimTM", "W_MinTM"}) {
            text = *Profile::writeValue(text, "Parameter", key, QByteArray::number(value % 600));
            if (!Profile::writeFile(path, text))
                state.SkipWithError("a write failed");
        }
    }
}
BENCHMARK(saveKeyByKey)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
