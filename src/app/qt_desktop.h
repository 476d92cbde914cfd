#pragma once

#include "app/desktop.h"

struct ca_context;
class QObject;

// The real desktop: QMessageBox, QClipboard, QDesktopServices, QPrinter and
// the system clock.
class QtDesktop final : public Desktop
{
public:
    QtDesktop();
    ~QtDesktop() override;

    Answer showMessage(QWidget* parent, const Message& message) override;
    void beep() override;
    void setClipboardText(const QString& text) override;
    bool openFile(const QString& path) override;
    std::unique_ptr<QPrinter> printer() override;
    QDateTime now() override;
    std::uint32_t randomSeed() override;

    // Message texts may separate lines with a lone carriage return; a Qt box
    // only breaks lines at line feeds.
    static QString displayText(const QString& prompt);

private:
    bool openSound();

    ca_context* sound = nullptr;
    bool soundTried = false;
    // Context of the deferred sound set-up: it dies with this desktop, so the
    // set-up never runs on a desktop that is gone.
    std::unique_ptr<QObject> lifetime;
};
