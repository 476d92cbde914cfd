// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "practice/practice.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

class ChildrenCommands;
class Desktop;
class Drill;
class QCheckBox;
class QLabel;
class AnswerCell;
class QLineEdit;
class QPushButton;
class QStyle;
class QTimer;
class RecordsView;

// The one window of Varolin: the board, the commands, the clock and the
// best time. It shows the practice and its drill, forwards clicks and keys to
// them and asks the questions; the practice decides what a finished sheet
// means and keeps the best times, the kind and the window's place.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    // `programFolder` is where the read-me lives. The practice is begun here,
    // once the window knows where it stands.
    MainWindow(Desktop& desktop, Practice& practice, const QString& programFolder,
        QWidget* parent = nullptr);
    ~MainWindow() override;

public Q_SLOTS:
    // Another start of the program handed over to this one.
    void bringToFront();
    // The desktop session ends or the program was told to stop: the settings
    // are kept without a question or any box, and the program ends.
    void endWithoutQuestion();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void startUp();
    void connectDrill();

    // What the drill reports.
    void showKind();
    void showOperands();
    void showOpenCell(int previous, int cell);
    void showPhase();
    void refreshClock();
    void showResult(const Practice::SheetResult& result);
    void tellProblem(const Practice::Report& report);

    // Commands.
    void commandClicked(int index);
    void stopCommand();
    void endCommand();
    void clearBestTimes();
    void showAbout();
    void showRecords();
    // The child at the board: their name beside the best time and in the
    // title, once there are two or more children.
    void showChild();
    // Who is practising: only between sheets.
    void openChooser();
    void printCommand();
    void showPrintDialog();
    void screenCopyCommand();
    void openReadme();
    bool confirmEnd();
    void saveAndEnd();
    void endProgram();

    // Keys, input-method text and mouse events of an answer cell.
    bool cellEvent(int cell, QEvent* event);
    // True for the release of a left click that was pressed on `label` and
    // released over it.
    bool isLeftClick(QLabel* label, QEvent* event);

    void applyButtonPattern(bool running);
    void setHeaderRed(QLabel* header, bool red);
    void highlightCell(int cell, bool red);
    void updateAccessibleNames();

    // The window's place.
    void applySettings();
    QPoint normalPosition() const;
    QPoint windowTwips() const;

    Desktop& desktop;
    Practice& practice;
    QString programFolder;
    Drill* drill = nullptr;

    QLabel* signLabel = nullptr;
    std::array<QLabel*, 10> rowHeaders{};
    std::array<QLabel*, 10> columnHeaders{};
    std::array<AnswerCell*, 100> answerCells{};
    // きりかえ, はじめ, やめる, おわる, すうじ, いんさつ, がめんコピー, モード,
    // きろく, ？.
    std::array<QPushButton*, 10> commandButtons{};
    QLineEdit* clockDisplay = nullptr;
    QLabel* bestTimeLabel = nullptr;
    QLabel* childLabel = nullptr;
    QLabel* dateLabel = nullptr;
    QLabel* aboutPicture = nullptr;
    QLabel* randomLabel = nullptr;
    QCheckBox* randomCheck = nullptr;
    QTimer* clockTimer = nullptr;
    // Fresh sheets for printing are drawn apart from the board's.
    QRandomGenerator printRandom;
    QStyle* buttonStyle = nullptr;
    // The label a left button was pressed on, until it is released.
    QLabel* pressedLabel = nullptr;
    bool ended = false;
    // While the verdict is open: the problems to tell once it is closed.
    QList<Practice::Report>* toldLater = nullptr;
    std::unique_ptr<ChildrenCommands> childrenCommands;

    // The records window while it is open: the view and the widget it is.
    RecordsView* recordsView = nullptr;
    QPointer<QWidget> recordsWindow;
    // The chooser was opened this run.
    bool chooserOffered = false;
};
