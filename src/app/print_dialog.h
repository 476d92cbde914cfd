// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/records_view.h"
#include "drill/sheet.h"
#include "printing/month_report.h"
#include "printing/sheet_job.h"

#include <QDialog>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class Desktop;
class QCheckBox;
class QComboBox;
class QPrinter;
class QPushButton;
class QRadioButton;
class QRandomGenerator;
class QSpinBox;

// 「いんさつ」: prints the sheet on the board, or fresh sheets of any kind,
// with or without their answer keys, on a printer or to a PDF file the user
// chooses, or shows them first in a preview. A job that fails or is stopped
// is told through the desktop and changes nothing; the board is never
// touched. With two or more children, it offers to print a child's name
// on every page: at once for the board's sheet, which is that child's; on
// request for fresh sheets, which are mostly handed to a whole class.
// Fresh sheets are drawn once for the dialog: the preview, the print and
// the answer keys show the same sheets, however often the user previews.
// Opened from the records, it offers a child's monthly report instead.
class PrintDialog : public QDialog
{
    Q_OBJECT

public:
    // Fresh sheets are drawn from `random` when a job first needs them. `children`:
    // their names, `atBoard` the index of the child at the board.
    PrintDialog(const Sheet& board, QRandomGenerator& random, Desktop& desktop,
        const QStringList& children, int atBoard, QWidget* parent = nullptr);
    ~PrintDialog() override;

    // The job as the controls describe it.
    SheetJob job() const;
    // Offers `report` beside the sheets, for the month chosen ("reportMonth").
    void offerReport(ReportOffer report);

private:
    void whatChosen();
    // The chosen month's report on a printer the user picks, or shown first.
    void printReport(bool preview);
    // True when it printed; told otherwise.
    bool printReportOn(QPrinter& printer, const QList<MonthReport>& reports);
    void kindChosen();
    void sourceChosen();
    void nameChosenByHand();
    void print();
    void preview();
    // Prints `sheets` on `printer` with a progress box that can stop the job;
    // tells the user when it failed or was stopped. True when it printed.
    bool printOn(QPrinter& printer, const std::vector<Sheet>& sheets, const SheetJob& chosen);
    // The sheets of `chosen`: fresh ones are those drawn before, more drawn
    // only when more are asked for.
    std::vector<Sheet> sheetsOf(const SheetJob& chosen);
    // The name Qt gives the job in the printer's queue and proposes for a
    // PDF file: 「Varolin はなこ わりざん」.
    QString documentName(const SheetJob& chosen) const;

    const Sheet board;
    QRandomGenerator& random;
    Desktop& desktop;
    // The child at the board, whose the board's sheet is.
    QString boardChild;
    // Fresh sheets drawn so far, by kind.
    std::array<std::vector<Sheet>, 4> drawn;

    QComboBox* kindBox = nullptr;
    QRadioButton* boardButton = nullptr;
    QRadioButton* freshButton = nullptr;
    QSpinBox* countBox = nullptr;
    QCheckBox* keysBox = nullptr;
    // Null with one child.
    QCheckBox* nameBox = nullptr;
    QComboBox* childBox = nullptr;
    // Whether the name is printed has been chosen by hand: it no longer
    // follows the choice of sheets.
    bool nameChosen = false;
    QWidget* sheetControls = nullptr;
    std::optional<ReportOffer> report;
    QRadioButton* sheetsButton = nullptr;
    QRadioButton* reportButton = nullptr;
    QComboBox* monthBox = nullptr;
    QPushButton* printButton = nullptr;
    QPushButton* previewButton = nullptr;
};
