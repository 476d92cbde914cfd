// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/print_job.h"

#include "printing/answer_sheet.h"
#include "printing/page_fit.h"

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

Failure printFailed(const QString& why)
{
    return {Failed::PrintFailed, {}, why};
}

} // namespace

PrintJob::PrintJob(QPrinter* target)
    : printer(target)
{ }

Done PrintJob::begin()
{
    if (!printer)
        return printFailed(u"no printer is available"_s);
    if (writesFile(*printer)) {
        fileName = printer->outputFileName();
        partialName = partialNameFor(fileName);
        printer->setOutputFileName(partialName);
    }
    if (!paint.begin(printer)) {
        restoreFileName();
        QFile::remove(partialName);
        return printFailed(u"the printer cannot start a job"_s);
    }
    return {};
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

Done PrintJob::newPage()
{
    if (!printer->newPage())
        return printFailed(u"the printer cannot start a page"_s);
    return {};
}

Done PrintJob::finish()
{
    const bool ended = paint.end();
    const QPrinter::PrinterState state = printer->printerState();
    restoreFileName();
    const bool failed = !ended || state == QPrinter::Error || state == QPrinter::Aborted;
    if (failed || (!partialName.isEmpty() && !replaceFile(partialName, fileName))) {
        if (!partialName.isEmpty())
            QFile::remove(partialName);
        return printFailed(u"the print job failed"_s);
    }
    return {};
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

Done printAnswerSheet(QPrinter* printer, const std::array<QString, 21>& captions)
{
    const AnswerSheet::Layout sheet = AnswerSheet::layout(captions);
    PrintJob job(printer);
    if (Done failed = job.begin())
        return failed;
    AnswerSheet::paint(job.painter(), sheet, job.dpiX(), job.dpiY());
    return job.finish();
}

Done printPicture(QPrinter* printer, const QPixmap& picture)
{
    PrintJob job(printer);
    if (Done failed = job.begin())
        return failed;
    QPainter& painter = job.painter();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF page(0, 0, job.device().width(), job.device().height());
    painter.drawPixmap(fitOnPage(picture.deviceIndependentSize(), page), picture, picture.rect());
    return job.finish();
}
