// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/desktop.h"

#include <QList>
#include <QStringList>

#include <functional>

// A desktop that records every call and answers message boxes from a script.
class FakeDesktop final : public Desktop
{
public:
    struct Shown
    {
        Message message;
        Answer answer;
    };

    Answer showMessage(QWidget* parent, const Message& message) override;
    // Shown as any box, and where it was to keep clear of.
    Answer showVerdict(
        QWidget* parent, const Message& message, const QList<QRect>& keepClear) override
    {
        verdictKeepsClear.append(keepClear);
        return showMessage(parent, message);
    }
    void beep() override { ++beeps; }
    void setClipboardText(const QString& text) override
    {
        clipboard = text;
        ++clipboardWrites;
    }
    bool openFile(const QString& path) override;
    std::unique_ptr<QPrinter> printer() override;
    bool choosePrinter(QWidget* parent, QPrinter& printer) override;
    void previewPrint(
        QWidget* parent, QPrinter& printer, const std::function<void(QPrinter&)>& paint) override;
    QDateTime now() override { return clock; }
    qint64 monotonicMilliseconds() override { return monotonic; }
    QString saveFileName(
        QWidget*, const QString&, const QString& suggestedPath, const QString&) override
    {
        saveSuggestions.append(suggestedPath);
        return savePath;
    }
    std::uint32_t randomSeed() override { return seed; }
    bool tellsWindowPlace() const override { return placeTold; }
    std::optional<QString> askText(
        QWidget*, const QString&, const QString& prompt, const QString&) override
    {
        asked.append(prompt);
        return textAnswers.isEmpty() ? std::nullopt : textAnswers.takeFirst();
    }
    std::optional<int> askItem(
        QWidget*, const QString&, const QString& prompt, const QStringList& items, int) override
    {
        asked.append(prompt);
        offered.append(items);
        return itemAnswers.isEmpty() ? std::nullopt : itemAnswers.takeFirst();
    }

    // Answers for the next boxes, in order. A box with no scripted answer
    // gets OK when that is its only button, otherwise its last button (No or
    // Cancel), so an unscripted question never commits anything.
    QList<Answer> answers;
    // Runs while a box is "open", before it is answered.
    std::function<void(const Message&)> onMessage;
    QList<Shown> shown;
    QList<QList<QRect>> verdictKeepsClear;

    int beeps = 0;
    QString clipboard;
    int clipboardWrites = 0;
    QStringList openedFiles;
    bool openSucceeds = true;
    // Where printer() prints to as PDF; empty means no printer is available.
    QString pdfPath;
    int printerRequests = 0;
    // What the save dialog answers (empty: cancelled) and what it suggested.
    QString savePath;
    QStringList saveSuggestions;
    // The print dialog: where the user chooses to print, as PDF; empty means
    // they cancel it.
    QString chosenPdfPath;
    int printerChoices = 0;
    // The name of every job shown, which Qt proposes for a PDF file.
    QStringList documentNames;
    // The preview paints its pages once, as PDF to here.
    QString previewPdfPath;
    int previews = 0;
    // Answers for the next text and choice boxes, in order; none cancels.
    // What they asked, and the choices offered.
    QList<std::optional<QString>> textAnswers;
    QList<std::optional<int>> itemAnswers;
    QStringList asked;
    QList<QStringList> offered;
    QDateTime clock{QDate(2025, 2, 10), QTime(9, 30)};
    // Moved on by hand: a sheet takes as long as the test says.
    qint64 monotonic = 5'000'000;
    std::uint32_t seed = 20250210;
    // False as under Wayland: the window's place is not known.
    bool placeTold = true;
};
