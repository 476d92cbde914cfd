// SPDX-License-Identifier: GPL-3.0-or-later
#include "drill/sheet.h"

#include "drill/draw.h"

#include <QRandomGenerator>

#include <algorithm>

namespace {

// Marks a slot that has not been drawn yet; it blocks no digit.
constexpr std::int16_t EmptySlot = 255;

using Slots = std::array<std::int16_t, 10>;

UnitRandom uniform(QRandomGenerator& generator)
{
    return [&generator] { return generator.generateDouble(); };
}

// `count` distinct digits in slots 0..count-1. With nine, slot 9 holds 0 so
// that 0 is never drawn and the tenth operand reads 0.
Slots drawDigits(QRandomGenerator& random, int count)
{
    Slots digits;
    digits.fill(EmptySlot);
    if (count < 10)
        digits[9] = 0;
    drawDistinct(digits, count, uniform(random));
    return digits;
}

std::array<int, 10> widen(const Slots& digits)
{
    std::array<int, 10> values{};
    std::copy(digits.begin(), digits.end(), values.begin());
    return values;
}

void drawDivisionRow(Sheet& sheet, QRandomGenerator& random, int row)
{
    const Slots quotients = drawDigits(random, 9);
    for (int column = 0; column < 9; ++column)
        sheet.columns[row][column] = sheet.rows[row] * quotients[column];
    sheet.columns[row][9] = 0;
}

} // namespace

Sheet drawSheet(Kind kind, QRandomGenerator& random)
{
    Sheet sheet;
    sheet.kind = kind;
    const int count = boardSize(kind);
    sheet.rows = widen(drawDigits(random, count));
    if (kind == Kind::Division) {
        redrawDivisionRows(sheet, random);
        return sheet;
    }
    std::array<int, 10> columns = widen(drawDigits(random, count));
    if (kind == Kind::Subtraction) {
        for (int& top : columns)
            top += 10;
    }
    sheet.columns.fill(columns);
    return sheet;
}

void redrawDivisionRows(Sheet& sheet, QRandomGenerator& random, int firstRow)
{
    for (int row = firstRow; row < 9; ++row)
        drawDivisionRow(sheet, random, row);
}
