// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/sheet_job.h"

#include "printing/print_job.h"
#include "printing/sheet_pages.h"

#include <QPageRanges>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

using namespace Qt::StringLiterals;

std::vector<Sheet> jobSheets(const SheetJob& job, const Sheet& board, QRandomGenerator& random)
{
    if (job.source == SheetJob::Source::Board)
        return {board};
    std::vector<Sheet> sheets;
    const int count = std::clamp(job.freshSheets, 1, SheetJob::MaxFreshSheets);
    sheets.reserve(count);
    for (int i = 0; i < count; ++i)
        sheets.push_back(drawSheet(job.kind, random));
    return sheets;
}

int pageCount(int sheets, bool answerKeys)
{
    return answerKeys ? 2 * sheets : sheets;
}

namespace {

// `ranges`: the pages the user chose in the print dialog (from 1), empty for
// all of them.
Done paintPages(QPainter& painter, const std::function<Done()>& newPage,
    const std::vector<Sheet>& sheets, const SheetJob& job, const QPageLayout& layout,
    const QPageRanges& ranges, const PrintProgress& progress)
{
    // How far the painter's origin and the printable area's other edges
    // stand from the paper's, in twips.
    const QRectF paper = layout.fullRect(QPageLayout::Point);
    const QRectF printable = layout.paintRect(QPageLayout::Point);
    const QMarginsF margins
        = QMarginsF(printable.left() - paper.left(), printable.top() - paper.top(),
              paper.right() - printable.right(), paper.bottom() - printable.bottom())
        * 20;
    const int count = int(sheets.size());
    std::vector<int> pages;
    for (int page = 0; page < pageCount(count, job.answerKeys); ++page) {
        if (ranges.isEmpty() || ranges.contains(page + 1))
            pages.push_back(page);
    }
    const int total = int(pages.size());
    const Failure cancelled{Failed::PrintCancelled};
    if (progress && !progress(0, total))
        return cancelled;
    for (int done = 0; done < total; ++done) {
        if (done > 0) {
            if (Done failed = newPage())
                return failed;
        }
        const int sheet = pages[done] % count;
        SheetPages::paint(
            painter, sheets[sheet], sheet + 1, pages[done] >= count, job.name, margins);
        if (progress && !progress(done + 1, total))
            return cancelled;
    }
    return {};
}

Failure printFailed(const QString& why)
{
    return {Failed::PrintFailed, {}, why};
}

Done checkSheets(const std::vector<Sheet>& sheets)
{
    if (sheets.empty())
        return printFailed(u"there is no sheet to print"_s);
    return {};
}

} // namespace

Done printSheets(QPrinter* printer, const std::vector<Sheet>& sheets, const SheetJob& job,
    const PrintProgress& progress)
{
    if (Done failed = checkSheets(sheets))
        return failed;
    if (!printer)
        return printFailed(u"no printer is available"_s);
    printer->setPageOrientation(SheetPages::orientation(sheets.front().kind));
    PrintJob printJob(printer);
    if (Done failed = printJob.begin())
        return failed;
    // A job left unfinished is abandoned as it goes.
    if (Done failed = paintPages(
            printJob.painter(), [&printJob] { return printJob.newPage(); }, sheets, job,
            printer->pageLayout(), printer->pageRanges(), progress))
        return failed;
    return printJob.finish();
}

Done paintSheets(QPagedPaintDevice& device, const std::vector<Sheet>& sheets, const SheetJob& job,
    const PrintProgress& progress)
{
    if (Done failed = checkSheets(sheets))
        return failed;
    device.setPageOrientation(SheetPages::orientation(sheets.front().kind));
    QPainter painter;
    if (!painter.begin(&device))
        return printFailed(u"the device cannot start a document"_s);
    const Done failed = paintPages(
        painter,
        [&device]() -> Done {
            if (!device.newPage())
                return printFailed(u"the device cannot start a page"_s);
            return {};
        },
        sheets, job, device.pageLayout(), device.pageRanges(), progress);
    if (!painter.end() && !failed)
        return printFailed(u"the document failed"_s);
    return failed;
}
