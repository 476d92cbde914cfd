// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/board_view.h"
#include "app/desktop.h"
#include "app/main_window.h"
#include "app/print_dialog.h"
#include "drill/drill.h"
#include "printing/print_job.h"

#include <QPixmap>
#include <QPrinter>

#include <exception>

using namespace Qt::StringLiterals;

namespace {

bool confirmPrint(Desktop& desktop, QWidget* parent, const QString& question, const QString& title)
{
    if (ask(desktop, parent, question, title, Desktop::Buttons::YesNo) != Desktop::Answer::Yes)
        return false;
    return ask(desktop, parent, u"プリンタの用意をして下さい。"_s, u"かくにん"_s,
               Desktop::Buttons::OkCancel)
        == Desktop::Answer::Ok;
}

void reportPrintFailure(Desktop& desktop, QWidget* parent)
{
    ask(desktop, parent, u"いんさつができません。"_s, u"いんさつ中止"_s, Desktop::Buttons::Ok,
        Desktop::Icon::Warning);
}

} // namespace

// Each print command holds the window's boxes for the whole job, whose
// pages let events through: nothing opens over its questions or inside it.

void MainWindow::printCommand()
{
    boxes.hold([this] {
        if (!confirmPrint(desktop, this, u"ひょうを　いんさつしますか？"_s, u"いんさつ"_s))
            return;
        if (printAnswerSheet(desktop.printer().get(), board->captions()))
            reportPrintFailure(desktop, this);
    });
}

void MainWindow::screenCopyCommand()
{
    boxes.hold([this] {
        if (!confirmPrint(desktop, this, u"がめんを　いんさつしますか？"_s, u"がめんコピー"_s))
            return;
        // The window's client area as it is shown, on one page.
        if (printPicture(desktop.printer().get(), grab()))
            reportPrintFailure(desktop, this);
    });
}

void MainWindow::showPrintDialog(QWidget* over, const ReportOffer* report)
{
    // Sheets are printed between drills, never from under a running one.
    if (!practice.betweenSheets())
        return;
    QStringList children;
    int atBoard = 0;
    for (const Child& child : practice.children()) {
        if (child.id == practice.child().id)
            atBoard = int(children.size());
        children.append(child.name);
    }
    PrintDialog dialog(drill->sheet(), printRandom, desktop, children, atBoard, over ? over : this);
    if (report)
        dialog.offerReport(*report);
    boxes.hold([&dialog] { return dialog.exec(); });
}
