#include "app/desktop.h"
#include "app/form1.h"
#include "printing/answer_sheet.h"
#include "printing/page_fit.h"
#include "printing/print_error.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>

#include <exception>

using namespace Qt::StringLiterals;

namespace {

// One page on the desktop's printer. The job is sent only by finish(); a
// job left unfinished (an error on the way) is abandoned rather than sent
// half drawn.
class PrintJob
{
public:
    explicit PrintJob(Desktop& desktop)
        : printer(desktop.printer())
    {
        if (!printer)
            throw PrintError("no printer is available");
        if (!painter.begin(printer.get()))
            throw PrintError("the printer cannot start a job");
    }

    ~PrintJob()
    {
        if (painter.isActive()) {
            printer->abort();
            painter.end();
        }
    }

    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    QPainter& page() { return painter; }
    const QPrinter& device() const { return *printer; }

    void finish()
    {
        const bool ended = painter.end();
        const QPrinter::PrinterState state = printer->printerState();
        if (!ended || state == QPrinter::Error || state == QPrinter::Aborted)
            throw PrintError("the print job failed");
    }

private:
    std::unique_ptr<QPrinter> printer;
    QPainter painter;
};

bool confirmPrint(Form1& form, const QString& question, const QString& title)
{
    Desktop& desktop = form.desktop();
    if (ask(desktop, &form, question, title, Desktop::Buttons::YesNo) != Desktop::Answer::Yes)
        return false;
    return ask(desktop, &form, u"プリンタの用意をして下さい。"_s, u"かくにん"_s,
               Desktop::Buttons::OkCancel)
        == Desktop::Answer::Ok;
}

void reportPrintFailure(Form1& form)
{
    ask(form.desktop(), &form, u"いんさつができません。"_s, u"いんさつ中止"_s, Desktop::Buttons::Ok,
        Desktop::Icon::Warning);
}

// The window's client area as it is shown, on one page.
void printWindowImage(Form1& form)
{
    const QPixmap image = form.grab();
    PrintJob job(form.desktop());
    QPainter& painter = job.page();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF page(0, 0, job.device().width(), job.device().height());
    painter.drawPixmap(fitOnPage(image.deviceIndependentSize(), page), image, image.rect());
    job.finish();
}

} // namespace

void Form1::PrintSheet()
{
    std::array<QString, 21> captions;
    for (int k = 0; k <= 20; ++k)
        captions[k] = L[k]->text();
    const AnswerSheet::Layout sheet = AnswerSheet::layout(captions);

    PrintJob job(desktop());
    AnswerSheet::paint(job.page(), sheet, job.device().logicalDpiX(), job.device().logicalDpiY());
    job.finish();
}

void Form1::PrintCommand()
{
    if (!confirmPrint(*this, u"ひょうを　いんさつしますか？"_s, u"いんさつ"_s))
        return;
    try {
        PrintSheet();
    } catch (const std::exception&) {
        reportPrintFailure(*this);
    }
}

void Form1::ScreenCopyCommand()
{
    if (!confirmPrint(*this, u"がめんを　いんさつしますか？"_s, u"がめんコピー"_s))
        return;
    try {
        printWindowImage(*this);
    } catch (const std::exception&) {
        reportPrintFailure(*this);
    }
}
