// What a save costs: the text edit alone, and a whole save of the eight keys
// through CIniFiles (each key one atomic, synced replacement of the file).
#include "settings/cinifiles.h"
#include "settings/profile.h"

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

// Every value changes, so every key is written.
void saveEightKeys(benchmark::State& state)
{
    QTemporaryDir dir;
    CIniFiles ini;
    ini.FileName(dir.filePath(u"Varolin.ini"_s));
    int value = 0;
    for (auto _ : state) {
        ++value;
        ini.Section(u"General"_s);
        ini.SetValues(u"Win_Top"_s, value);
        ini.SetValues(u"Win_Lft"_s, value);
        ini.Section(u"Parameter"_s);
        for (const QString& key :
            {u"T_MinTM"_s, u"H_MinTM"_s, u"K_MonTM"_s, u"Calc_Md"_s, u"LimTM"_s, u"W_MinTM"_s})
            ini.SetValues(key, value);
    }
}
BENCHMARK(saveEightKeys)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
