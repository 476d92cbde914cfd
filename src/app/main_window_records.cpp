// SPDX-License-Identifier: GPL-3.0-or-later
// The records window, opened from the window on the first use of きろく and
// brought back to the front after.
#include "app/desktop.h"
#include "app/main_window.h"
#include "app/records_context.h"
#include "app/records_view.h"
#include "drill/drill.h"

#include <QDir>

using namespace Qt::StringLiterals;

void MainWindow::showRecords()
{
    if (!practice.betweenSheets())
        return;
    if (recordsWindow) {
        recordsView->showKind(drill->kind());
        recordsView->setBestTimes(practice.bestTimes());
        recordsView->showChild(practice.child().id);
        recordsView->refresh();
        recordsView->setSheetsNotKept(practice.sheetsNotKept());
        recordsWindow->showNormal();
        recordsWindow->raise();
        recordsWindow->activateWindow();
        return;
    }
    if (!practice.openRecords()) {
        ask(heldDesktop, this,
            u"きろくの ファイルを ひらけません。\r\r"_s
                + QDir::toNativeSeparators(practice.recordsPath()),
            u"きろく"_s, Desktop::Buttons::Ok, Desktop::Icon::Warning);
        return;
    }
    const RecordsViewMaker make = recordsViewMaker(programFolder);
    if (!make) {
        // A module missing, damaged or of another build (an upgrade while
        // this copy runs): a fresh start finds the one that belongs to it.
        ask(heldDesktop, this,
            u"きろくの がめんを ひらけません。\rVarolin を いちど おわりにして、もういちど はじめて ください。"_s,
            u"きろく"_s, Desktop::Buttons::Ok, Desktop::Icon::Warning);
        return;
    }
    recordsView = make(machineRecords(practice), drill->kind(), heldDesktop, this);
    recordsWindow = recordsView->widget();
    recordsWindow->setAttribute(Qt::WA_DeleteOnClose);
    recordsView->setBestTimes(practice.bestTimes());
    recordsView->setSheetsNotKept(practice.sheetsNotKept());
    recordsView->setPrintCommand(
        [this](const ReportOffer& report) { showPrintDialog(recordsWindow, &report); });
    // What the records window's commands change, the practice changes; the
    // window reads it again through its context.
    handMachineCommands(*recordsView, practice, *childrenCommands);
    recordsWindow->show();
}
