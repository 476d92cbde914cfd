// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// The answer a cell asks for, from the captions of its two operand labels.
// The captions are what the child sees, so they are what is checked.
//
// Kinds: 0 top + left, 1 top - left, 2 top * left, 3 top / left (rounded to
// the nearest whole number, a half to the even one). A kind outside 0..3 is
// checked as addition, since that is the sheet drawn for it.
//
// No answer (nullopt) when none can be typed: a division by 0, or a result
// outside what an answer cell holds (a 16-bit number). Every digit typed into
// such a cell is then wrong.
std::optional<int> expectedAnswer(const QString& leftCaption, const QString& topCaption, int kind);

// Same, with the operands already read.
std::optional<int> expectedAnswer(int left, int top, int kind);

// Rounds to the nearest whole number, a half to the even neighbour.
double roundHalfEven(double value);

// Whether `top` divided by `left` is a whole quotient from 1 to 9: the column
// operands of a division row are all multiples of that row's divisor.
bool isDivisionOperand(int top, int left);
