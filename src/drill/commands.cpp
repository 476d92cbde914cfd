#include "app/desktop.h"
#include "app/form1.h"
#include "drill/arithmetic.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

bool confirmEnd(Form1& form)
{
    return ask(form.desktop(), &form, u"おわりにしますか？"_s, u"かくにん"_s,
               Desktop::Buttons::YesNo)
        == Desktop::Answer::Yes;
}

// Whether every column operand in play is a whole multiple, 1 to 9 times,
// of the divisor of `row`: the captions are what answer entry checks.
bool showsDivisionRow(const Form1& form, int row)
{
    const int divisor = form.L[1 + row]->text().toInt();
    for (int column = 0; column < 9; ++column) {
        if (!isDivisionOperand(form.L[11 + column]->text().toInt(), divisor))
            return false;
    }
    return true;
}

void saveAndEnd(Form1& form)
{
    form.StopClock();
    form.storeWindowPosition();
    form.SaveSettings();
    form.endProgram();
}

} // namespace

void Form1::Btn_Click(int index)
{
    switch (index) {
    case 0: // switch the kind
        state.calcKind = static_cast<std::int16_t>((state.calcKind + 1) % 4);
        ShowKind();
        MakeSheet();
        break;
    case 1: // start
        desktop().prepareBeep();
        ClearCells();
        // A tens digit held when the last sheet was stopped belongs to that
        // sheet, not to this one.
        state.digitCount = 0;
        // In division the column operands may still be those of the last row
        // reached; row 0 needs its own multiples.
        if (state.calcKind == 3 && !showsDivisionRow(*this, 0)) {
            state.currentCell = 0;
            MakeDivisionRow();
        }
        Data[0]->setEnabled(true);
        Data[0]->setFocus();
        highlightCell(0, true);
        state.idle = false;
        state.currentCell = 0;
        applyButtonPattern(true);
        StartClock();
        break;
    case 2: // stop
        Timer1->stop();
        if (ask(desktop(), this, u"やめますか？"_s, u"かくにん"_s, Desktop::Buttons::YesNo)
            == Desktop::Answer::Yes) {
            applyButtonPattern(false);
            StopClock();
            Text1->setText(u"0:00"_s);
            ClearCells();
            for (int k = 1; k <= 20; ++k)
                setLabelRed(k, false);
            for (QLineEdit* cell : Data)
                cell->setEnabled(false);
            state.idle = true;
            Btn[1]->setFocus();
        } else {
            // A Qt timer with no period fires without pause; a clock that was
            // not counting stays stopped.
            if (Timer1->interval() > 0)
                Timer1->start();
            Data[state.currentCell]->setFocus();
        }
        break;
    case 3: // end
        if (confirmEnd(*this))
            saveAndEnd(*this);
        else
            Btn[1]->setFocus();
        break;
    case 4: // new numbers
        if (state.idle)
            MakeSheet();
        break;
    case 5:
        PrintCommand();
        break;
    case 6:
        ScreenCopyCommand();
        break;
    default: // 7, the mode button, and anything else: nothing
        break;
    }
}

void Form1::Form_QueryUnload(bool& cancel)
{
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
        // No question while the window cannot be seen as it is, but the
        // records of this run are kept all the same.
        storeWindowPosition();
        SaveSettings();
        endProgram();
        return;
    }
    if (confirmEnd(*this))
        saveAndEnd(*this);
    else
        cancel = true;
}
