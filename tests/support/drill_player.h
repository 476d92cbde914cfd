// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/drill.h"

#include <QList>
#include <QString>

// Plays the drill with no window, as a child who always knows the answer:
// the answer is worked out from the operands shown, not through the
// program's arithmetic.

// A clock the test moves by hand.
struct ManualClock
{
    qint64 now = 1'000'000;
    Drill::Clock function()
    {
        return [this] { return now; };
    }
};

// The answer of the open cell, worked out from what the board shows.
inline int shownAnswer(const Drill& drill)
{
    const int cell = drill.openCell();
    const int left = drill.sheet().rowOperand(cell / 10);
    const int top = drill.shownColumnOperand(cell % 10);
    switch (drill.kind()) {
    case Kind::Subtraction:
        return top - left;
    case Kind::Multiplication:
        return top * left;
    case Kind::Division:
        return top / left;
    default:
        return top + left;
    }
}

// Answers the open cells until the sheet ends, each after
// `millisecondsPerAnswer` on `clock`; gives up after 200 answers so that a
// sheet that never ends fails instead of hanging.
inline QList<int> playSheet(
    Drill& drill, ManualClock* clock = nullptr, int millisecondsPerAnswer = 1500)
{
    QList<int> answered;
    // The last sheet's verdict was read.
    drill.clearBoard();
    drill.start();
    while (drill.phase() == Drill::Phase::Running && answered.size() < 200) {
        answered.append(drill.openCell());
        if (clock)
            clock->now += millisecondsPerAnswer;
        drill.typeText(QString::number(shownAnswer(drill)));
    }
    return answered;
}
