// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/print_job.h"

#include "printing/answer_sheet.h"
#include "printing/page_fit.h"
#include "printing/print_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPaintEngine>
#include <QPixmap>
#include <QPrinter>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>

using namespace Qt::StringLiterals;

namespace {

// Qt's print preview runs the job on a stand-in engine that records pages;
// nothing is written then, whatever file the printer names.
bool writesFile(QPrinter& printer)
{
    const QPaintEngine* engine = printer.paintEngine();
    const bool preview = engine && engine->type() == QPaintEngine::Picture;
    return !preview && !printer.outputFileName().isEmpty();
}

QString partialNameFor(const QString& fileName)
{
    const QFileInfo info(fileName);
    // Hidden, unique, and with the file's own suffix, which tells the
    // printer which format to write.
    QString name = u".%1.%2.part"_s.arg(
        info.completeBaseName(), QString::number(QRandomGenerator::global()->generate64(), 36));
    if (!info.suffix().isEmpty())
        name += u'.' + info.suffix();
    return info.dir().filePath(name);
}

bool replaceFile(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(from).toStdString()),
        std::filesystem::path(QFile::encodeName(to).toStdString()), error);
    return !error;
}

} // namespace

PrintJob::PrintJob(QPrinter* target)
    : printer(target)
{
    if (!printer)
        throw PrintError("no printer is available");
    if (writesFile(*printer)) {
        fileName = printer->outputFileName();
        partialName = partialNameFor(fileName);
        printer->setOutputFileName(partialName);
    }
    if (!paint.begin(printer)) {
        restoreFileName();
        QFile::remove(partialName);
        throw PrintError("the printer cannot start a job");
    }
}

PrintJob::~PrintJob()
{
    if (paint.isActive())
        abandon();
}

double PrintJob::dpiX() const
{
    return printer->logicalDpiX();
}

double PrintJob::dpiY() const
{
    return printer->logicalDpiY();
}

void PrintJob::newPage()
{
    if (!printer->newPage())
        throw PrintError("the printer cannot start a page");
}

void PrintJob::finish()
{
    const bool ended = paint.end();
    const QPrinter::PrinterState state = printer->printerState();
    restoreFileName();
    const bool failed = !ended || state == QPrinter::Error || state == QPrinter::Aborted;
    if (failed || (!partialName.isEmpty() && !replaceFile(partialName, fileName))) {
        if (!partialName.isEmpty())
            QFile::remove(partialName);
        throw PrintError("the print job failed");
    }
}

void PrintJob::abandon()
{
    printer->abort();
    paint.end();
    restoreFileName();
    if (!partialName.isEmpty())
        QFile::remove(partialName);
}

void PrintJob::restoreFileName()
{
    if (!partialName.isEmpty())
        printer->setOutputFileName(fileName);
}

void printAnswerSheet(QPrinter* printer, const std::array<QString, 21>& captions)
{
    const AnswerSheet::Layout sheet = AnswerSheet::layout(captions);
    PrintJob job(printer);
    AnswerSheet::paint(job.painter(), sheet, job.dpiX(), job.dpiY());
    job.finish();
}

void printPicture(QPrinter* printer, const QPixmap& picture)
{
    PrintJob job(printer);
    QPainter& painter = job.painter();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF page(0, 0, job.device().width(), job.device().height());
    painter.drawPixmap(fitOnPage(picture.deviceIndependentSize(), page), picture, picture.rect());
    job.finish();
}
