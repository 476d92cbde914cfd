// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "window_fixture.h"

#include <QLabel>

#include <QLineEdit>
#include <QList>
#include <QString>
#include <QTest>

// Plays sheets through the window the way a child does: finds the open
// cell by its two red headers, works the answer out on its own (not through
// the program's arithmetic) and types it as key presses. It gives up at
// once, with a warning, when the board does not show one open cell or a
// right answer is not taken, and after MaxAnswers answers in any case.
namespace SheetPlayer {

inline constexpr int MaxAnswers = 200;

inline bool isRed(const QLabel* label)
{
    return label->palette().color(QPalette::Active, QPalette::WindowText) == QColor(255, 0, 0);
}

// The one enabled answer cell; -1 when none is, -2 when more than one is.
inline int enabledCell(const WindowFixture& fixture)
{
    int found = -1;
    for (int cell = 0; cell < 100; ++cell) {
        if (fixture.cell(cell)->isEnabled()) {
            if (found >= 0)
                return -2;
            found = cell;
        }
    }
    return found;
}

// The cell whose row and column headers are red; -1 unless exactly one row
// and one column header are.
inline int redCell(const WindowFixture& fixture)
{
    QList<int> rows;
    QList<int> columns;
    for (int i = 0; i < 10; ++i) {
        if (isRed(fixture.rowHeader(i)))
            rows.append(i);
        if (isRed(fixture.columnHeader(i)))
            columns.append(i);
    }
    return rows.size() == 1 && columns.size() == 1 ? 10 * rows[0] + columns[0] : -1;
}

// The answer of `cell` from its headers and the sign shown.
inline int answer(const WindowFixture& fixture, int cell)
{
    const int left = fixture.rowHeader(cell / 10)->text().toInt();
    const int top = fixture.columnHeader(cell % 10)->text().toInt();
    const QString sign = fixture.find<QLabel>(QStringLiteral("signLabel"))->text();
    if (sign == u"－")
        return top - left;
    if (sign == u"×")
        return top * left;
    if (sign == u"÷")
        return left ? top / left : -1;
    return top + left;
}

// The open cell as the board shows it: enabled, its headers red and the
// window's focus on it; -1 (with a warning) when the board disagrees.
inline int openCell(const WindowFixture& fixture)
{
    const int cell = redCell(fixture);
    if (cell < 0 || enabledCell(fixture) != cell) {
        qWarning("no open cell: red headers at %d, enabled cell %d", cell, enabledCell(fixture));
        return -1;
    }
    if (fixture.window->focusWidget() != fixture.cell(cell)) {
        qWarning("cell %d is open but has no focus", cell);
        return -1;
    }
    return cell;
}

// Types the right answer of the open cell; returns the cell answered, or -1
// (with a warning) when there was none or the answer was not taken.
inline int answerOpenCell(const WindowFixture& fixture)
{
    const int cell = openCell(fixture);
    if (cell < 0)
        return -1;
    QTest::keyClicks(fixture.cell(cell), QString::number(answer(fixture, cell)));
    // The last answer's verdict comes once its step is over, and the board
    // is cleared when it is closed.
    const Drill& drill = fixture.practice->drill();
    if (!QTest::qWaitFor([&] { return drill.phase() != Drill::Phase::Finished; }, 2000)) {
        qWarning("the verdict of the sheet was not shown");
        return -1;
    }
    if (fixture.cell(cell)->isEnabled()) {
        qWarning("the answer %d for cell %d was not taken", answer(fixture, cell), cell);
        return -1;
    }
    return cell;
}

// Clicks はじめ and answers until no cell is open; false (with a warning)
// when the sheet could not be played to its end. `answered` gets the cells
// in the order answered.
inline bool playSheet(
    WindowFixture& fixture, QList<int>* answered = nullptr, int millisecondsPerAnswer = 100)
{
    fixture.click(QStringLiteral("startButton"));
    for (int answers = 0; answers < MaxAnswers; ++answers) {
        if (enabledCell(fixture) == -1)
            return answers > 0;
        fixture.desktop.monotonic += millisecondsPerAnswer;
        const int cell = answerOpenCell(fixture);
        if (cell < 0)
            return false;
        if (answered)
            answered->append(cell);
    }
    qWarning("the sheet did not end after %d answers", MaxAnswers);
    return false;
}

} // namespace SheetPlayer
