// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/desktop.h"

class BoxQueue;

// The desktop as the windows beside the board (the records window, the
// children's questions) use it: every box or dialog they open holds the main
// window's queue, so that no box of the board's opens over it or inside it.
class HeldDesktop final : public Desktop
{
public:
    HeldDesktop(Desktop& desktop, BoxQueue& boxes);

    Answer showMessage(QWidget* parent, const Message& message) override;
    Answer showVerdict(
        QWidget* parent, const Message& message, const QList<QRect>& keepClear) override;
    void beep() override;
    void prepareBeep() override;
    void setClipboardText(const QString& text) override;
    bool openFile(const QString& path) override;
    std::unique_ptr<QPrinter> printer() override;
    bool choosePrinter(QWidget* parent, QPrinter& printer) override;
    void previewPrint(
        QWidget* parent, QPrinter& printer, const std::function<void(QPrinter&)>& paint) override;
    QDateTime now() override;
    qint64 monotonicMilliseconds() override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& suggestedPath,
        const QString& filter) override;
    std::uint32_t randomSeed() override;
    bool tellsWindowPlace() const override;
    std::optional<QString> askText(
        QWidget* parent, const QString& title, const QString& prompt, const QString& text) override;
    std::optional<int> askItem(QWidget* parent, const QString& title, const QString& prompt,
        const QStringList& items, int current) override;

private:
    Desktop& desktop;
    BoxQueue& boxes;
};
