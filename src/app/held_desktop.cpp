// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/held_desktop.h"

#include "app/box_queue.h"

#include <QPrinter>

HeldDesktop::HeldDesktop(Desktop& desktop, BoxQueue& boxes)
    : desktop(desktop)
    , boxes(boxes)
{ }

Desktop::Answer HeldDesktop::showMessage(QWidget* parent, const Message& message)
{
    return boxes.hold([&] { return desktop.showMessage(parent, message); });
}

Desktop::Answer HeldDesktop::showVerdict(
    QWidget* parent, const Message& message, const QList<QRect>& keepClear)
{
    return boxes.hold([&] { return desktop.showVerdict(parent, message, keepClear); });
}

void HeldDesktop::beep()
{
    desktop.beep();
}

void HeldDesktop::prepareBeep()
{
    desktop.prepareBeep();
}

void HeldDesktop::setClipboardText(const QString& text)
{
    desktop.setClipboardText(text);
}

bool HeldDesktop::openFile(const QString& path)
{
    return desktop.openFile(path);
}

std::unique_ptr<QPrinter> HeldDesktop::printer()
{
    return desktop.printer();
}

bool HeldDesktop::choosePrinter(QWidget* parent, QPrinter& printer)
{
    return boxes.hold([&] { return desktop.choosePrinter(parent, printer); });
}

void HeldDesktop::previewPrint(
    QWidget* parent, QPrinter& printer, const std::function<void(QPrinter&)>& paint)
{
    boxes.hold([&] { desktop.previewPrint(parent, printer, paint); });
}

QDateTime HeldDesktop::now()
{
    return desktop.now();
}

qint64 HeldDesktop::monotonicMilliseconds()
{
    return desktop.monotonicMilliseconds();
}

QString HeldDesktop::saveFileName(
    QWidget* parent, const QString& title, const QString& suggestedPath, const QString& filter)
{
    return boxes.hold([&] { return desktop.saveFileName(parent, title, suggestedPath, filter); });
}

std::uint32_t HeldDesktop::randomSeed()
{
    return desktop.randomSeed();
}

bool HeldDesktop::tellsWindowPlace() const
{
    return desktop.tellsWindowPlace();
}

std::optional<QString> HeldDesktop::askText(
    QWidget* parent, const QString& title, const QString& prompt, const QString& text)
{
    return boxes.hold([&] { return desktop.askText(parent, title, prompt, text); });
}

std::optional<int> HeldDesktop::askItem(QWidget* parent, const QString& title,
    const QString& prompt, const QStringList& items, int current)
{
    return boxes.hold([&] { return desktop.askItem(parent, title, prompt, items, current); });
}
