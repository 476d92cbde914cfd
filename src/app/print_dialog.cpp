// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/print_dialog.h"

#include "practice/children.h"

#include "app/desktop.h"
#include "app/file_names.h"
#include "scores/verdict.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <exception>

using namespace Qt::StringLiterals;

namespace {

const QString Title = u"いんさつ"_s;

} // namespace

PrintDialog::PrintDialog(const Sheet& board, QRandomGenerator& random, Desktop& desktop,
    const QStringList& children, int atBoard, QWidget* parent)
    : QDialog(parent)
    , board(board)
    , random(random)
    , desktop(desktop)
    , boardChild(children.value(std::clamp(atBoard, 0, int(children.size()) - 1)))
{
    setObjectName(u"printDialog"_s);
    setWindowTitle(Title);

    kindBox = new QComboBox(this);
    kindBox->setObjectName(u"kind"_s);
    kindBox->setAccessibleName(u"けいさんの しゅるい"_s);
    // Read as the list's label, and as its name where a list is named by
    // what it shows.
    auto* kindLabel = new QLabel(kindBox->accessibleName(), this);
    kindLabel->setBuddy(kindBox);
    for (Kind kind : AllKinds)
        kindBox->addItem(kindName(kind), kindNumber(kind));
    kindBox->setCurrentIndex(kindBox->findData(kindNumber(board.kind)));

    boardButton = new QRadioButton(u"いまの もんだい"_s, this);
    boardButton->setObjectName(u"boardSheet"_s);
    freshButton = new QRadioButton(u"あたらしい もんだい"_s, this);
    freshButton->setObjectName(u"freshSheets"_s);
    boardButton->setChecked(true);

    countBox = new QSpinBox(this);
    countBox->setObjectName(u"sheetCount"_s);
    countBox->setRange(1, SheetJob::MaxFreshSheets);
    countBox->setSuffix(u" まい"_s);
    countBox->setAccessibleName(u"まいすう"_s);
    countBox->setEnabled(false);

    keysBox = new QCheckBox(u"こたえも いんさつする"_s, this);
    keysBox->setObjectName(u"answerKeys"_s);

    // With one child the name stays for the child to write, as it always
    // has: that child never sees their name anywhere else.
    QHBoxLayout* name = nullptr;
    if (namesShown(children.size())) {
        nameBox = new QCheckBox(u"なまえを いれる"_s, this);
        nameBox->setObjectName(u"printName"_s);
        childBox = new QComboBox(this);
        childBox->setObjectName(u"child"_s);
        childBox->setAccessibleName(u"なまえ"_s);
        childBox->addItems(children);
        childBox->setCurrentIndex(std::clamp(atBoard, 0, int(children.size()) - 1));
        name = new QHBoxLayout;
        name->addWidget(nameBox);
        name->addWidget(childBox);
        name->addStretch();
        // The list names whom the sheets are for only while a name is printed.
        childBox->setEnabled(false);
        connect(nameBox, &QCheckBox::toggled, childBox, &QWidget::setEnabled);
        connect(nameBox, &QCheckBox::clicked, this, &PrintDialog::nameChosenByHand);
    }

    auto* buttons = new QDialogButtonBox(this);
    printButton = buttons->addButton(u"いんさつ…"_s, QDialogButtonBox::ActionRole);
    printButton->setObjectName(u"print"_s);
    previewButton = buttons->addButton(u"プレビュー"_s, QDialogButtonBox::ActionRole);
    previewButton->setObjectName(u"preview"_s);
    QPushButton* closeButton = buttons->addButton(u"とじる"_s, QDialogButtonBox::RejectRole);
    printButton->setDefault(true);

    auto* fresh = new QHBoxLayout;
    fresh->addWidget(freshButton);
    fresh->addWidget(countBox);
    fresh->addStretch();
    // The sheets' controls in one place, so that choosing the report turns
    // them off together and each keeps its own state.
    sheetControls = new QWidget(this);
    auto* layout = new QVBoxLayout(sheetControls);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* kind = new QHBoxLayout;
    kind->addWidget(kindLabel);
    kind->addWidget(kindBox);
    kind->addStretch();
    layout->addLayout(kind);
    layout->addWidget(boardButton);
    layout->addLayout(fresh);
    layout->addWidget(keysBox);
    if (name)
        layout->addLayout(name);
    auto* whole = new QVBoxLayout(this);
    whole->addWidget(sheetControls);
    whole->addWidget(buttons);

    connect(kindBox, &QComboBox::currentIndexChanged, this, &PrintDialog::kindChosen);
    connect(freshButton, &QRadioButton::toggled, this, &PrintDialog::sourceChosen);
    connect(printButton, &QPushButton::clicked, this, &PrintDialog::print);
    connect(previewButton, &QPushButton::clicked, this, &PrintDialog::preview);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    sourceChosen();
}

PrintDialog::~PrintDialog() = default;

SheetJob PrintDialog::job() const
{
    SheetJob job;
    job.kind = kindFromNumber(kindBox->currentData().toInt());
    job.source = freshButton->isChecked() ? SheetJob::Source::Fresh : SheetJob::Source::Board;
    job.freshSheets = countBox->value();
    job.answerKeys = keysBox->isChecked();
    if (nameBox && nameBox->isChecked())
        job.name = childBox->currentText();
    return job;
}

void PrintDialog::offerReport(ReportOffer offer)
{
    report = std::move(offer);
    sheetsButton = new QRadioButton(u"もんだいの ひょう"_s, this);
    sheetsButton->setObjectName(u"sheets"_s);
    reportButton = new QRadioButton(u"ひとつきの きろく"_s, this);
    reportButton->setObjectName(u"monthReport"_s);
    sheetsButton->setChecked(true);
    monthBox = new QComboBox(this);
    monthBox->setObjectName(u"reportMonth"_s);
    monthBox->setAccessibleName(u"いつの きろく"_s);
    for (const QDate& month : report->months)
        monthBox->addItem(u"%1ねん %2がつ"_s.arg(month.year()).arg(month.month()), month);
    auto* reportRow = new QHBoxLayout;
    reportRow->addWidget(reportButton);
    reportRow->addWidget(monthBox);
    reportRow->addStretch();
    // The sheets' controls under their own choice, the report's below them.
    auto* whole = static_cast<QVBoxLayout*>(layout());
    whole->insertWidget(0, sheetsButton);
    sheetControls->setContentsMargins(20, 0, 0, 0);
    whole->insertLayout(2, reportRow);
    connect(reportButton, &QRadioButton::toggled, this, &PrintDialog::whatChosen);
    whatChosen();
}

void PrintDialog::whatChosen()
{
    const bool reportChosen = reportButton->isChecked();
    sheetControls->setEnabled(!reportChosen);
    monthBox->setEnabled(reportChosen);
}

void PrintDialog::kindChosen()
{
    // The board's sheet is of the board's kind: another kind can only be
    // printed on fresh sheets.
    const bool boardKind = job().kind == board.kind;
    if (!boardKind)
        freshButton->setChecked(true);
    boardButton->setEnabled(boardKind);
}

void PrintDialog::sourceChosen()
{
    countBox->setEnabled(freshButton->isChecked());
    if (nameBox && !nameChosen)
        nameBox->setChecked(!freshButton->isChecked());
}

void PrintDialog::nameChosenByHand()
{
    nameChosen = true;
}

std::vector<Sheet> PrintDialog::sheetsOf(const SheetJob& chosen)
{
    if (chosen.source == SheetJob::Source::Board)
        return {board};
    std::vector<Sheet>& ofKind = drawn[kindNumber(chosen.kind)];
    const int wanted = std::clamp(chosen.freshSheets, 1, SheetJob::MaxFreshSheets);
    if (int(ofKind.size()) < wanted) {
        SheetJob more = chosen;
        more.freshSheets = wanted - int(ofKind.size());
        for (Sheet& sheet : jobSheets(more, board, random))
            ofKind.push_back(std::move(sheet));
    }
    return {ofKind.begin(), ofKind.begin() + wanted};
}

QString PrintDialog::documentName(const SheetJob& chosen) const
{
    // Whose sheets they are: the name printed on them, or the board's child.
    const QString whose = fileNamePart(
        chosen.name.isEmpty() && chosen.source == SheetJob::Source::Board ? boardChild
                                                                          : chosen.name);
    QStringList parts{u"Varolin"_s};
    if (!whose.isEmpty())
        parts << whose;
    parts << kindName(chosen.kind);
    return parts.join(u' ');
}

void PrintDialog::print()
{
    if (reportButton && reportButton->isChecked()) {
        printReport(false);
        return;
    }
    const SheetJob chosen = job();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(documentName(chosen));
    if (!desktop.choosePrinter(this, printer))
        return;
    if (printOn(printer, sheetsOf(chosen), chosen))
        accept();
}

void PrintDialog::preview()
{
    if (reportButton && reportButton->isChecked()) {
        printReport(true);
        return;
    }
    const SheetJob chosen = job();
    // The preview repaints its pages whenever its view changes, and
    // printing from it prints the sheets that were shown.
    const std::vector<Sheet> sheets = sheetsOf(chosen);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(documentName(chosen));
    desktop.previewPrint(this, printer, [&](QPrinter& target) { printOn(target, sheets, chosen); });
}

bool PrintDialog::printOn(
    QPrinter& printer, const std::vector<Sheet>& sheets, const SheetJob& chosen)
{
    QProgressDialog progress(u"いんさつしています…"_s, u"やめる"_s, 0,
        pageCount(int(sheets.size()), chosen.answerKeys), this);
    progress.setWindowTitle(Title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    const Done failed = printSheets(&printer, sheets, chosen, [&progress](int done, int) {
        progress.setValue(done);
        // The box shows only for a long job. Until then timers and
        // repaints still run between pages, clicks and keys do not.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return !progress.wasCanceled();
    });
    if (!failed)
        return true;
    progress.reset();
    if (failed->what == Failed::PrintCancelled)
        ask(desktop, this, u"いんさつを やめました。"_s, Title, Desktop::Buttons::Ok);
    else
        ask(desktop, this, u"いんさつができません。"_s, u"いんさつ中止"_s, Desktop::Buttons::Ok,
            Desktop::Icon::Warning);
    return false;
}

void PrintDialog::printReport(bool preview)
{
    const QDate month = monthBox->currentData().toDate();
    // Read when printed, so that it holds the sheets done until now.
    const Outcome<MonthRecords> records = report->read(month);
    if (!records) {
        ask(desktop, this, u"きろくを よめませんでした。\r\nいんさつは して いません。"_s, Title,
            Desktop::Buttons::Ok, Desktop::Icon::Warning, failureLog(records.failure()));
        return;
    }
    const QList<MonthReport> reports{{report->name, *records}};
    QPrinter printer(QPrinter::HighResolution);
    // 「Varolin はなこ 2025-02」, the name Qt proposes for a PDF file.
    const QString whose = fileNamePart(report->name);
    printer.setDocName(u"Varolin "_s + (whose.isEmpty() ? QString() : whose + u' ')
        + month.toString(u"yyyy-MM"_s));
    if (preview) {
        desktop.previewPrint(
            this, printer, [&](QPrinter& target) { printReportOn(target, reports); });
        return;
    }
    if (!desktop.choosePrinter(this, printer))
        return;
    if (printReportOn(printer, reports))
        accept();
}

bool PrintDialog::printReportOn(QPrinter& printer, const QList<MonthReport>& reports)
{
    const Done printed = printMonthReports(&printer, reports, ReportWords::Family);
    if (!printed)
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(failureLog(*printed)));
    ask(desktop, this, u"いんさつができません。"_s, u"いんさつ中止"_s, Desktop::Buttons::Ok,
        Desktop::Icon::Warning);
    return false;
}
