// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/box_queue.h"
#include "app/command_bar.h"
#include "app/held_desktop.h"
#include "practice/practice.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QWidget>

#include <memory>

class BoardView;
class ChildrenCommands;
class Desktop;
class Drill;
class RecordsView;
struct ReportOffer;
class StatusLine;

// The one window of Varolin: the board, the commands, the clock and the
// best time, each a view of its own. It shows the practice and its drill, forwards clicks and keys
// to them and asks the questions; the practice decides what a finished sheet means and keeps the
// best times, the kind and the window's place.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    // `programFolder` is where the read-me lives.
    MainWindow(Desktop& desktop, Practice& practice, const QString& programFolder,
        QWidget* parent = nullptr);
    ~MainWindow() override;

    // Where the window opens on the primary screen before any setting is
    // applied, in twips: what a new settings file records.
    static QPoint openingTwips();

public Q_SLOTS:
    // Another start of the program handed over to this one.
    void bringToFront();
    // The desktop session ends or the program was told to stop: the settings
    // are kept without a question or any box, and the program ends.
    void endWithoutQuestion();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void startUp();
    void connectDrill();

    // What the drill reports.
    void showKind();
    void showOperands();
    void showPhase();
    void showResult(const Practice::SheetResult& result);
    // Told in its turn, once the board is at rest.
    void tellFailure(const Failure& failure);
    void showFailure(const Failure& failure);

    // Commands.
    void commandClicked(CommandBar::Command command);
    void startCommand();
    void stopCommand();
    void endCommand();
    void clearBestTimes();
    void showAbout();
    void showRecords();
    // The child at the board: their name beside the best time and in the
    // title, once there are two or more children.
    void showChild();
    // Who is practising, when the practice wants it asked.
    void openChooser();
    void printCommand();
    // Over `over`, the window it was asked from (this one when null),
    // offering `report` beside the sheets when there is one.
    void showPrintDialog(QWidget* over = nullptr, const ReportOffer* report = nullptr);
    void screenCopyCommand();
    void openReadme();
    bool confirmEnd();
    void saveAndEnd();
    void endProgram();

    // The window's place.
    void applySettings();
    QPoint normalPosition() const;
    // Where the window stands, in twips; nothing where the desktop does not
    // tell.
    std::optional<QPoint> windowTwips() const;

    Desktop& desktop;
    Practice& practice;
    QString programFolder;
    Drill* drill = nullptr;

    BoardView* board = nullptr;
    CommandBar* commands = nullptr;
    StatusLine* statusLine = nullptr;
    // Fresh sheets for printing are drawn apart from the board's.
    QRandomGenerator printRandom;
    bool ended = false;
    // Every box, one at a time, only while the board is at rest.
    BoxQueue boxes;
    // What the windows and questions beside the board open boxes through.
    HeldDesktop heldDesktop{desktop, boxes};
    std::unique_ptr<ChildrenCommands> childrenCommands;

    // The records window while it is open: the view and the widget it is.
    RecordsView* recordsView = nullptr;
    QPointer<QWidget> recordsWindow;
};
