// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/sheet.h"

#include <QDateTime>

#include <vector>

// One answered cell of a finished sheet.
struct AnsweredCell
{
    int cell = 0; // 10 * row + column on the board
    int left = 0; // row operand
    int top = 0; // column operand
    int answer = 0;
    // From the moment the cell opened to its right answer, less any time the
    // drill stood paused meanwhile.
    int milliseconds = 0;
    int wrongDigits = 0;

    bool operator==(const AnsweredCell&) const = default;
};

// What a finished sheet leaves behind: its operands, its time and how each
// answer went. The drill fills everything but finishedAt and record, which
// the program adds when it files the sheet.
struct FinishedSheet
{
    Sheet sheet;
    int seconds = 0; // as the clock showed it at the end
    int wrongDigits = 0;
    std::vector<AnsweredCell> cells; // in the order answered
    QDateTime finishedAt; // local time with its offset from UTC
    bool record = false; // beat the best time of its kind

    Kind kind() const { return sheet.kind; }
};

Q_DECLARE_METATYPE(FinishedSheet)
