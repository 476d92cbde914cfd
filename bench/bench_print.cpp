// SPDX-License-Identifier: GPL-3.0-or-later
// How long a class set takes: 40 fresh sheets with their 40 answer keys,
// drawn and printed to one PDF file, for the grid layout and for division.
// Absolute times; the target is under 2 s a job.
#include "printing/sheet_job.h"

#include <QGuiApplication>
#include <QPrinter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

void classSet(benchmark::State& state, Kind kind)
{
    QTemporaryDir dir;
    QRandomGenerator random(20250210);
    const SheetJob job{kind, SheetJob::Source::Fresh, SheetJob::MaxFreshSheets, true, {}};
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(u"sheets.pdf"_s));
        if (printSheets(&printer, jobSheets(job, Sheet{}, random), job))
            state.SkipWithError("the job failed");
    }
}
BENCHMARK_CAPTURE(classSet, addition, Kind::Addition)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(classSet, multiplication, Kind::Multiplication)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(classSet, division, Kind::Division)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
