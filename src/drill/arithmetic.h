// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/kind.h"

#include <optional>

// The answer a cell asks for from its row operand `left` and its column
// operand `top`: top + left, top - left, top * left, or top / left rounded to
// the nearest whole number (a half to the even one).
//
// No answer (nullopt) when none can be typed: a division by 0, or a result
// outside what an answer cell holds (a 16-bit number). Every digit typed into
// such a cell is then wrong.
std::optional<int> expectedAnswer(int left, int top, Kind kind);

// Rounds to the nearest whole number, a half to the even neighbour.
double roundHalfEven(double value);
