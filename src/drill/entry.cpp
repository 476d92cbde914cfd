#include "app/desktop.h"
#include "app/form1.h"
#include "drill/arithmetic.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace {

constexpr int BackspaceCode = 8;

// The character code a typed character is judged by. Full-width digits, which
// a Japanese keyboard setting may still produce, count as the digits they are.
int characterCode(QChar character)
{
    const char16_t unit = character.unicode();
    if (unit >= u'０' && unit <= u'９')
        return '0' + (unit - u'０');
    return unit;
}

std::optional<int> answerOf(const Form1& form, int cell)
{
    return expectedAnswer(
        form.L[cell / 10 + 1]->text(), form.L[cell % 10 + 11]->text(), form.state.calcKind);
}

void finishSheet(Form1& form, int cell)
{
    form.StopClock();
    form.highlightCell(cell, false);
    // The filled board stays on screen while the verdict is read.
    form.ShowResult();
    form.applyButtonPattern(false);
    for (QLineEdit* data : form.Data)
        data->setEnabled(false);
    form.state.idle = true;
    form.Btn[1]->setFocus();
    // Let the window repaint (and take a click) before the board is emptied.
    QCoreApplication::processEvents();
    form.ClearCells();
}

void openCell(Form1& form, int cell)
{
    form.Data[cell]->setEnabled(true);
    form.Data[cell]->setFocus();
    form.state.currentCell = static_cast<std::int16_t>(cell);
}

void advance(Form1& form, int cell)
{
    form.highlightCell(cell, false);
    form.highlightCell(cell + 1, true);
    form.Data[cell]->setEnabled(false);
    const int kind = form.state.calcKind;
    if ((kind == 2 || kind == 3) && cell % 10 == 8) {
        // Multiplication and division use nine columns: the tenth is skipped.
        form.highlightCell(cell + 1, false);
        form.highlightCell(cell + 2, true);
        openCell(form, cell + 2);
        if (kind == 3)
            form.MakeDivisionRow();
    } else {
        openCell(form, cell + 1);
    }
}

void acceptCell(Form1& form, int cell)
{
    // A sheet always ends at its last cell; the board's end is a guard
    // against a last cell the board does not reach.
    const int next
        = cell + ((form.state.calcKind == 2 || form.state.calcKind == 3) && cell % 10 == 8 ? 2 : 1);
    if (cell == form.state.lastCell || next >= static_cast<int>(form.Data.size()))
        finishSheet(form, cell);
    else
        advance(form, cell);
}

} // namespace

bool Form1::cellEvent(int index, QEvent* event)
{
    // Feeds typed text to the judge one character at a time. A right answer
    // moves the cursor on, so what follows goes to the cell then open.
    auto type = [this, index](const QString& text) {
        int cell = index;
        for (const QChar character : text) {
            if (cell < 0 || cell >= static_cast<int>(Data.size()) || !Data[cell]->isEnabled())
                break;
            int code = characterCode(character);
            Data_KeyPress(cell, code);
            // Stop at the end of a sheet, also when a click during its last
            // steps has started the next one.
            if (state.idle || state.currentCell < cell)
                break;
            cell = state.currentCell;
        }
    };

    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
        // A locked cell takes nothing, whoever sends it keys.
        if (!Data[index]->isEnabled())
            return true;
        break;
    default:
        break;
    }

    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers commands
            = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && !commands)
            return false; // focus moves
        // Shortcuts (paste, cut, undo, ...), Delete, the arrows, Home and End
        // would edit or move in a cell behind the judge's back.
        if (commands)
            return true;
        if (key->key() == Qt::Key_Backspace) {
            int code = BackspaceCode;
            Data_KeyPress(index, code);
            return true;
        }
        type(key->text());
        return true;
    }
    case QEvent::InputMethod:
        type(static_cast<QInputMethodEvent*>(event)->commitString());
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        // The middle button pastes the X selection into a line edit.
        return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

void Form1::Data_KeyPress(int index, int& keyAscii)
{
    QLineEdit* cell = Data[index];
    const int code = keyAscii;
    // Every key is cancelled: the cell's text is only ever written here.
    keyAscii = 0;

    if (code == BackspaceCode) {
        cell->setText(QString());
        state.digitCount = 0;
        return;
    }
    if (code < '0' || code > '9') {
        cell->setFocus();
        return;
    }

    const int digit = code - '0';
    ++state.digitCount;
    if (state.digitCount == 2) {
        state.digitCount = 0;
        cell->setText(cell->text() + QChar(code));
        const std::optional<int> answer = answerOf(*this, index);
        if (!answer || cell->text().toInt() != *answer) {
            // Back to the tens digit, waiting for another ones digit.
            cell->setText(QString(QChar(state.firstDigit)));
            state.digitCount = 1;
            desktop().beep();
            return;
        }
        acceptCell(*this, index);
        return;
    }
    if (state.digitCount != 1)
        return;

    state.firstDigit = static_cast<std::int16_t>(code);
    cell->setText(QString(QChar(code)));
    const std::optional<int> answer = answerOf(*this, index);
    if (answer && digit == *answer) {
        state.digitCount = 0;
        acceptCell(*this, index);
    } else if (answer && *answer >= 10 && digit == *answer / 10) {
        cell->setFocus(); // the tens digit is held; the ones digit follows
    } else {
        cell->setText(QString());
        desktop().beep();
        state.digitCount = 0;
    }
}

void Form1::Data_Change(int index)
{
    QLineEdit* cell = Data[index];
    cell->setCursorPosition(static_cast<int>(cell->text().size()));
}
