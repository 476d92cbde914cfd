// SPDX-License-Identifier: GPL-3.0-or-later
// The class's monthly reports on paper: a page per child of the class, in
// the order of their numbers, in the teacher's words, as one print job.
#include "app/class_view.h"
#include "app/desktop.h"
#include "app/file_names.h"
#include "printing/month_report.h"
#include "records/month_records.h"

#include <QPrinter>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString Title = u"月の報告を印刷"_s;

// This month and the eleven before it: a school year's reports.
constexpr int MonthsOffered = 12;

// One job's pages as the children's sheets come in, each in its child's
// place on the roster as it was when the job was asked for.
struct ReportsJob
{
    QList<ClassChild> children;
    QList<std::optional<MonthReport>> reports;
    qsizetype left = 0;
    bool failed = false;
    QPrinter printer{QPrinter::HighResolution};
};

} // namespace

void ClassView::printReports()
{
    if (roster.isEmpty()) {
        ask(desk, this, u"クラスに児童がいません。"_s, Title, Desktop::Buttons::Ok);
        return;
    }
    const QDate today = desk.now().date();
    QStringList months;
    for (int back = 0; back < MonthsOffered; ++back) {
        const QDate month = today.addMonths(-back);
        months << u"%1年%2月"_s.arg(month.year()).arg(month.month());
    }
    const std::optional<int> chosen
        = desk.askItem(this, Title, u"どの月の報告を印刷しますか？"_s, months, 0);
    if (!chosen || *chosen < 0 || *chosen >= MonthsOffered)
        return;
    const QDate month = today.addMonths(-*chosen);
    auto job = std::make_shared<ReportsJob>();
    job->printer.setDocName(
        u"Varolin %1 %2"_s.arg(fileNamePart(records.className()), months[*chosen]));
    // The printer first, then the reading: once chosen, nothing more is
    // asked, and the pages come out when the last child's sheets are in.
    if (!desk.choosePrinter(this, job->printer))
        return;
    job->children = roster;
    job->reports.resize(roster.size());
    job->left = roster.size();
    for (qsizetype at = 0; at < job->children.size(); ++at) {
        const ClassChild& child = job->children[at];
        await(records.childSheets(child.id, child.name),
            [this, job, at, month](const Outcome<ChildSheets>& read) {
                if (job->failed)
                    return;
                const ClassChild& child = job->children[at];
                const Outcome<MonthRecords> kept = read
                    ? monthRecords(*read.value().reader(), child.id, month)
                    : Outcome<MonthRecords>(read.failure());
                if (!kept) {
                    // A class's reports with a page missing would be handed
                    // out as the whole class: none is printed.
                    job->failed = true;
                    const QString text
                        = child.name + u"さんの記録を読めませんでした。報告は印刷していません。"_s;
                    tellProblem(text, kept.failure());
                    return;
                }
                job->reports[at] = MonthReport{child.name, *kept};
                if (--job->left > 0)
                    return;
                QList<MonthReport> pages;
                for (const std::optional<MonthReport>& report : job->reports)
                    pages.append(*report);
                setCursor(Qt::BusyCursor);
                const Done printed = printMonthReports(&job->printer, pages, ReportWords::Teacher);
                unsetCursor();
                if (printed) {
                    const FailureText told = failureText(*printed, Reader::Adult);
                    ask(desk, this, told.text, told.title, Desktop::Buttons::Ok,
                        Desktop::Icon::Warning, printed->detail);
                }
            });
    }
}
