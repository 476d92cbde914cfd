#pragma once

#include "app/form1.h"

#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QTest>

// Plays sheets the way a child does: reads the two operand labels of the open
// cell, works the answer out and types it into the cell as key presses.
namespace SheetPlayer {

inline int leftOperand(const Form1& form, int cell)
{
    return form.L[cell / 10 + 1]->text().toInt();
}

inline int topOperand(const Form1& form, int cell)
{
    return form.L[cell % 10 + 11]->text().toInt();
}

// Worked out on its own, not through the program's arithmetic.
inline int answer(const Form1& form, int cell)
{
    const int left = leftOperand(form, cell);
    const int top = topOperand(form, cell);
    switch (form.state.calcKind) {
    case 1:
        return top - left;
    case 2:
        return top * left;
    case 3:
        return top / left;
    default:
        return top + left;
    }
}

inline QString answerText(const Form1& form, int cell)
{
    return QString::number(answer(form, cell));
}

// Key presses for `text` into the cell, digits from the main row.
inline void type(QWidget* target, const QString& text)
{
    QTest::keyClicks(target, text);
}

// Types the right answer of the open cell; returns the cell answered.
inline int answerOpenCell(Form1& form)
{
    const int cell = form.state.currentCell;
    type(form.Data[cell], answerText(form, cell));
    return cell;
}

// Starts a sheet and answers it to the end; returns the cells answered in
// order (stops after 200 answers should the sheet never end).
inline QList<int> playSheet(Form1& form)
{
    QList<int> answered;
    form.Btn_Click(1);
    while (!form.state.idle && answered.size() < 200)
        answered.append(answerOpenCell(form));
    return answered;
}

} // namespace SheetPlayer
