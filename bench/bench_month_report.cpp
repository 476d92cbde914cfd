// SPDX-License-Identifier: GPL-3.0-or-later
// A class's monthly reports: thirty pages, a child each, printed to one PDF
// file in either wording, against thirty fresh answer sheets printed to PDF
// in the same run. The target is under 10 s for the thirty pages.
//
//   bench_month_report [runs, default 5] [a PDF to keep the class's pages in]
#include "printing/month_report.h"
#include "printing/sheet_job.h"

#include "median.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPrinter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// A month of a child who practised most school days, two kinds.
MonthReport childsMonth(int child, QRandomGenerator& random)
{
    MonthReport report;
    report.name = u"こども %1"_s.arg(child);
    report.records.month = QDate(2026, 11, 1);
    report.records.facts = KnownFacts(Kind::Multiplication);
    const FactGrid& grid = report.records.facts.layout();
    for (int place = 0; place < grid.count(); ++place) {
        static const std::array<FactState, 4> states
            = {FactState::NotMet, FactState::Met, FactState::Slow, FactState::Known};
        report.records.facts.set(grid.fact(place / grid.size, place % grid.size),
            states[std::size_t(random.bounded(4))]);
    }
    KindMonth addition{Kind::Addition, 600, {}};
    KindMonth multiplication{Kind::Multiplication, 600, {}};
    for (QDate day = report.records.month; day.month() == 11; day = day.addDays(1)) {
        if (day.dayOfWeek() > 5 || random.bounded(5) == 0)
            continue;
        report.records.practised.append(day);
        KindMonth& kind = day.day() < 15 ? addition : multiplication;
        const int seconds = 80 + int(random.bounded(200));
        kind.days.append({day, seconds});
        kind.best = std::min(kind.best, seconds);
    }
    report.records.kinds = {addition, multiplication};
    return report;
}

bool printTo(const QString& pdf, const QList<MonthReport>& reports, ReportWords words)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    const Done printed = printMonthReports(&printer, reports, words);
    if (printed)
        std::fprintf(stderr, "not printed: %s\n", qPrintable(failureLog(*printed)));
    return !printed;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    QRandomGenerator random(20261109);
    QList<MonthReport> reports;
    for (int child = 1; child <= 30; ++child)
        reports.append(childsMonth(child, random));

    const SheetJob job{Kind::Addition, SheetJob::Source::Fresh, 30, false, {}};
    const double baseline = median(runs, [&] {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(u"sheets.pdf"_s));
        if (const Done failed = printSheets(&printer, jobSheets(job, Sheet{}, random), job))
            std::fprintf(stderr, "not printed: %s\n", qPrintable(failureLog(*failed)));
    });
    bool printed = true;
    const double family = median(runs, [&] {
        printed = printTo(dir.filePath(u"family.pdf"_s), reports, ReportWords::Family) && printed;
    });
    const double teacher = median(runs, [&] {
        printed = printTo(dir.filePath(u"teacher.pdf"_s), reports, ReportWords::Teacher) && printed;
    });
    if (!printed)
        return 1;
    if (argc > 2) {
        const QString kept = QString::fromLocal8Bit(argv[2]);
        if (!printTo(kept, reports, ReportWords::Family)
            || !printTo(kept + u".teacher.pdf"_s, reports, ReportWords::Teacher))
            return 1;
    }

    std::printf("medians of %d runs, ms, and ratios to thirty answer sheets to PDF\n", runs);
    std::printf("%-48s %9.1f %6.2f\n", "thirty answer sheets to PDF (baseline)", baseline, 1.0);
    std::printf("%-48s %9.1f %6.2f  (target < 10000 ms)\n", "thirty monthly reports, the family's",
        family, family / baseline);
    std::printf("%-48s %9.1f %6.2f  (target < 10000 ms)\n", "thirty monthly reports, the teacher's",
        teacher, teacher / baseline);
    return 0;
}
