#pragma once

#include "drill/drill_state.h"

#include <QRandomGenerator>
#include <QWidget>

#include <array>
#include <memory>

class CIniFiles;
class Desktop;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStyle;
class QTimer;

// The one window of Varolin: the board, the commands and the clock. It owns
// the drill state and the settings file. Its handlers and procedures are
// defined beside the subsystem they belong to (drill/, scores/, settings/,
// printing/); this file and form1.cpp hold the controls and start-up.
//
// Handlers and procedures are public so that tests can drive the window the
// way its events do.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    // `programFolder` is where the settings file and the read-me live.
    Form1(Desktop& desktop, const QString& programFolder, QWidget* parent = nullptr);
    ~Form1() override;

    std::unique_ptr<CIniFiles> Ini;
    DrillState state;

    // Controls, named and indexed as the window is designed.
    std::array<QLabel*, 21> L{}; // 0 the sign, 1..10 row operands, 11..20 column operands
    std::array<QLineEdit*, 100> Data{}; // cell 10 * row + column
    std::array<QPushButton*, 8> Btn{};
    QLineEdit* Text1 = nullptr; // elapsed time
    QLabel* Label1 = nullptr; // best time of the current kind
    QLabel* Label3 = nullptr; // date; a click shows and clears the best times
    QPushButton* Command1 = nullptr; // opens the read-me
    QLabel* Image1 = nullptr; // the about picture
    QLabel* Label2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QTimer* Timer1 = nullptr;

    // Event handlers.
    void Form_Load();
    void Btn_Click(int index);
    void Data_KeyPress(int index, int& keyAscii); // keyAscii set to 0 cancels the key
    void Data_Change(int index);
    void Timer1_Timer();
    void Label3_Click();
    void Image1_Click();
    void Command1_Click();
    void Form_QueryUnload(bool& cancel);

    // Procedures.
    void ClearCells();
    void MakeSheet();
    void ShuffleOperands();
    void MakeDivisionOperands();
    void MakeDivisionRow();
    void StartClock();
    void StopClock();
    void ShowKind();
    void ShowResult();
    void LoadSettings();
    void ApplySettings();
    void SaveSettings();
    void PrintSheet(); // throws PrintError when the printer cannot be used

    // The print and screen-copy cases of Btn_Click.
    void PrintCommand();
    void ScreenCopyCommand();

    // Btn(0)..Btn(4) in their idle or running pattern: an enabled command is
    // bold, a disabled one plain.
    void applyButtonPattern(bool running);
    // Header label k red (the operand of the cell taking input) or black.
    void setLabelRed(int k, bool red);
    // Both operand labels of answer cell `cell`.
    void highlightCell(int cell, bool red);
    // Names that screen readers announce: each cell says which sum it asks
    // for, each header which operand it holds. Follows every change of the
    // operands.
    void updateAccessibleNames();
    // Top-left corner of the window frame as it is in the normal state, also
    // while the window is minimised or maximised.
    QPoint normalPosition() const;
    // Stores the window's normal place in winPos, in twips, before the
    // settings are saved.
    void storeWindowPosition();
    // Leaves the event loop without another round of closing questions.
    void endProgram();
    bool hasEnded() const { return ended; }

    Desktop& desktop() const { return desk; }
    const QString& programFolder() const { return folder; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    // Turns key and input-method events of answer cell `index` into calls of
    // Data_KeyPress; returns true when the event is consumed.
    bool cellEvent(int index, QEvent* event);

    Desktop& desk;
    QString folder;
    // The generator every sheet is drawn from; seeded once per run.
    QRandomGenerator rng;
    QStyle* buttonStyle = nullptr;
    bool ended = false;
};
