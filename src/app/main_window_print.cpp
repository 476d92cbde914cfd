#include "app/desktop.h"
#include "app/main_window.h"
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

bool confirmPrint(Desktop& desktop, QWidget* parent, const QString& question, const QString& title)
{
    if (ask(desktop, parent, question, title, Desktop::Buttons::YesNo) != Desktop::Answer::Yes)
        return false;
    return ask(desktop, parent, u"プリンタの用意をして下さい。"_s, u"かくにん"_s,
               Desktop::Buttons::OkCancel)
        == Desktop::Answer::Ok;
}

void reportPrintFailure(Desktop& desktop, QWidget* parent)
{
    ask(desktop, parent, u"いんさつができません。"_s, u"いんさつ中止"_s, Desktop::Buttons::Ok,
        Desktop::Icon::Warning);
}

// The window's client area as it is shown, on one page.
void printWindowImage(Desktop& desktop, QWidget* window)
{
    const QPixmap image = window->grab();
    PrintJob job(desktop);
    QPainter& painter = job.page();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF page(0, 0, job.device().width(), job.device().height());
    painter.drawPixmap(fitOnPage(image.deviceIndependentSize(), page), image, image.rect());
    job.finish();
}

} // namespace

void MainWindow::printSheet()
{
    std::array<QString, 21> captions;
    captions[0] = signLabel->text();
    for (int i = 0; i < 10; ++i) {
        captions[1 + i] = rowHeaders[i]->text();
        captions[11 + i] = columnHeaders[i]->text();
    }
    const AnswerSheet::Layout sheet = AnswerSheet::layout(captions);

    PrintJob job(desktop);
    AnswerSheet::paint(job.page(), sheet, job.device().logicalDpiX(), job.device().logicalDpiY());
    job.finish();
}

void MainWindow::printCommand()
{
    if (!confirmPrint(desktop, this, u"ひょうを　いんさつしますか？"_s, u"いんさつ"_s))
        return;
    try {
        printSheet();
    } catch (const std::exception&) {
        reportPrintFailure(desktop, this);
    }
}

void MainWindow::screenCopyCommand()
{
    if (!confirmPrint(desktop, this, u"がめんを　いんさつしますか？"_s, u"がめんコピー"_s))
        return;
    try {
        printWindowImage(desktop, this);
    } catch (const std::exception&) {
        reportPrintFailure(desktop, this);
    }
}
