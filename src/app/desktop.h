// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

// Everything the program does outside its own process goes through here, so
// that tests can watch and script it: message boxes, the beep, the clipboard,
// opening files, choosing where to save one, the printer, the clock and the
// random seed.
class Desktop
{
public:
    // YesNoDefaultNo is for a question whose Yes throws something away (a
    // child, records, a sheet under way): Enter and Escape both keep it.
    enum class Buttons { Ok, OkCancel, YesNo, YesNoDefaultNo };
    enum class Icon { None, Question, Warning };
    enum class Answer { Ok, Cancel, Yes, No };

    struct Message
    {
        QString prompt;
        QString title;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        // Words for whoever looks after the machine or the server (another
        // program's message), behind a button rather than in the prompt.
        QString details;
    };

    virtual ~Desktop();

    // A modal box over `parent`; returns the button the user chose.
    virtual Answer showMessage(QWidget* parent, const Message& message) = 0;
    // A finished sheet's verdict, an OK box over `parent` that a child
    // reads: its title whole, the prompt's last line (after the blank line)
    // large, and the box clear of `keepClear` (global rectangles: the row
    // and the column the child finished on).
    virtual Answer showVerdict(
        QWidget* parent, const Message& message, const QList<QRect>& keepClear);
    virtual void beep() = 0;
    // A drill is about to start: make the beep ready, so that the first wrong
    // digit sounds without a delay.
    virtual void prepareBeep() { }
    virtual void setClipboardText(const QString& text) = 0;
    // Hands a file to the desktop's default program; false when that failed.
    virtual bool openFile(const QString& path) = 0;
    // The printer to print on, or null when none can be used.
    virtual std::unique_ptr<QPrinter> printer() = 0;
    // Lets the user choose where `printer` prints (any printer, or a PDF
    // file, also when no printer is configured) and how; false when they
    // cancel.
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer) = 0;
    // Shows the pages `paint` draws as they will print; the user may print
    // them from there, through `paint` again.
    virtual void previewPrint(
        QWidget* parent, QPrinter& printer, const std::function<void(QPrinter&)>& paint)
        = 0;
    virtual QDateTime now() = 0;
    // Milliseconds from a fixed point of this run; never goes back, whatever
    // happens to the wall clock.
    virtual qint64 monotonicMilliseconds() = 0;
    // Asks where to save a file; empty when the user cancelled.
    virtual QString saveFileName(
        QWidget* parent, const QString& title, const QString& suggestedPath, const QString& filter);
    virtual std::uint32_t randomSeed() = 0;
    // Whether the desktop tells a window where it stands: a Wayland
    // compositor does not, and a place read there is no place at all.
    virtual bool tellsWindowPlace() const { return true; }
    // A line of text typed into a modal box, `text` given to start with;
    // nothing when the user cancelled.
    virtual std::optional<QString> askText(
        QWidget* parent, const QString& title, const QString& prompt, const QString& text)
        = 0;
    // One of `items` chosen in a modal box, `current` offered first; nothing
    // when the user cancelled.
    virtual std::optional<int> askItem(QWidget* parent, const QString& title, const QString& prompt,
        const QStringList& items, int current)
        = 0;
};

// Convenience for the common case of one call per box.
Desktop::Answer ask(Desktop& desktop, QWidget* parent, const QString& prompt, const QString& title,
    Desktop::Buttons buttons, Desktop::Icon icon = Desktop::Icon::None,
    const QString& details = {});
