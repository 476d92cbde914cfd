// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/failure.h"

#include <QPainter>
#include <QString>

#include <array>

class QPixmap;
class QPrinter;

// One job on a printer, pages painted through painter(). Nothing reaches the
// printer or the disk until finish(): a job destroyed unfinished (an error,
// a cancel) is abandoned. A job printed to a file is written beside it under
// a temporary name and renamed over it by finish(), so an abandoned job
// leaves no partial file and keeps an older file of that name as it was.
class PrintJob
{
public:
    // A job on `printer`, started by begin().
    explicit PrintJob(QPrinter* printer);
    ~PrintJob();

    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    QPainter& painter() { return paint; }
    const QPrinter& device() const { return *printer; }
    double dpiX() const;
    double dpiY() const;

    // Starts the job: PrintFailed when the printer is null or cannot start
    // one. Painting needs a job begun.
    [[nodiscard]] Done begin();
    // PrintFailed when the printer cannot start another page.
    [[nodiscard]] Done newPage();
    // Ends the job and sends it; PrintFailed when it failed.
    [[nodiscard]] Done finish();

private:
    void abandon();
    void restoreFileName();

    QPrinter* printer;
    QPainter paint;
    QString fileName; // the file the job replaces, empty when it goes to a printer
    QString partialName; // where the file is written until the job is finished
};

// The answer sheet of the window's header captions ([0] the sign, [1..10]
// the row operands, [11..20] the column operands), blank answer cells, on
// one page; PrintFailed when it could not be printed.
[[nodiscard]] Done printAnswerSheet(QPrinter* printer, const std::array<QString, 21>& captions);

// `picture` as large as fits one page, centred across, at the top;
// PrintFailed when it could not be printed.
[[nodiscard]] Done printPicture(QPrinter* printer, const QPixmap& picture);
