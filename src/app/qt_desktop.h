// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/desktop.h"

struct ca_context;

// The real desktop: QMessageBox, QClipboard, QDesktopServices, QPrinter and
// the system clock.
class QtDesktop final : public Desktop
{
public:
    QtDesktop();
    ~QtDesktop() override;

    Answer showMessage(QWidget* parent, const Message& message) override;
    Answer showVerdict(
        QWidget* parent, const Message& message, const QList<QRect>& keepClear) override;
    void beep() override;
    // Connects to the sound server, which can take a moment. Not at start-up:
    // a child who never starts a drill need not pay for it.
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

    // Message texts may separate lines with a lone carriage return; a Qt box
    // only breaks lines at line feeds.
    static QString displayText(const QString& prompt);

private:
    bool openSound();

    ca_context* sound = nullptr;
    bool soundTried = false;
};
