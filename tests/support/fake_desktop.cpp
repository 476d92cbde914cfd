// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_desktop.h"

#include <QPrinter>

Desktop::Answer FakeDesktop::showMessage(QWidget* parent, const Message& message)
{
    Q_UNUSED(parent);
    if (onMessage)
        onMessage(message);
    Answer answer = Answer::Ok;
    if (!answers.isEmpty()) {
        answer = answers.takeFirst();
    } else {
        switch (message.buttons) {
        case Buttons::Ok:
            answer = Answer::Ok;
            break;
        case Buttons::YesNo:
        case Buttons::YesNoDefaultNo:
            answer = Answer::No;
            break;
        case Buttons::OkCancel:
            answer = Answer::Cancel;
            break;
        }
    }
    shown.append({message, answer});
    return answer;
}

bool FakeDesktop::openFile(const QString& path)
{
    openedFiles.append(path);
    return openSucceeds;
}

std::unique_ptr<QPrinter> FakeDesktop::printer()
{
    ++printerRequests;
    if (pdfPath.isEmpty())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdfPath);
    return printer;
}

bool FakeDesktop::choosePrinter(QWidget* parent, QPrinter& printer)
{
    Q_UNUSED(parent);
    ++printerChoices;
    documentNames.append(printer.docName());
    if (chosenPdfPath.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(chosenPdfPath);
    return true;
}

void FakeDesktop::previewPrint(
    QWidget* parent, QPrinter& printer, const std::function<void(QPrinter&)>& paint)
{
    Q_UNUSED(parent);
    ++previews;
    documentNames.append(printer.docName());
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(previewPdfPath);
    paint(printer);
}
