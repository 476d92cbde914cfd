// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/kind.h"

#include <array>

class QRandomGenerator;

// The operands of one sheet. Cell `10 * row + column` asks for
// columnOperand(row, column) <op> rowOperand(row): top plus left, top minus
// left, top times left, top divided by left.
//
// Addition and subtraction use the whole 10 x 10 board. Multiplication and
// division use nine rows and columns; the tenth row and column operands are 0
// and take no answers. In division every row has columns of its own, the
// multiples of that row's divisor, so the board shows one row's columns at a
// time.
struct Sheet
{
    Kind kind = Kind::Addition;
    std::array<int, 10> rows{};
    std::array<std::array<int, 10>, 10> columns{};

    int size() const { return boardSize(kind); }
    int rowOperand(int row) const { return rows[row]; }
    int columnOperand(int row, int column) const { return columns[row][column]; }
    int left(int cell) const { return rows[cell / 10]; }
    int top(int cell) const { return columns[cell / 10][cell % 10]; }
    // Whether the cell takes an answer on this sheet.
    bool inPlay(int cell) const { return cell / 10 < size() && cell % 10 < size(); }
    // Addition and subtraction: all ten rows and columns. Only such a board
    // prints as an answer sheet.
    bool fullBoard() const { return size() == 10; }
    // The last cell of the sheet: 99, or 88 on a nine-by-nine sheet.
    int lastCell() const { return 11 * (size() - 1); }

    bool operator==(const Sheet&) const = default;
};

// A new sheet of `kind`, drawn from `random`: every row and column operand
// distinct, in random order. Subtraction's columns are 10 to 19; division's
// rows are the divisors 1 to 9 and each row's columns its multiples 1 to 9
// times, drawn row 0 first.
Sheet drawSheet(Kind kind, QRandomGenerator& random);

// Draws the quotients of division rows again, from row `firstRow` on, as
// when a sheet is started over.
void redrawDivisionRows(Sheet& sheet, QRandomGenerator& random, int firstRow = 0);
