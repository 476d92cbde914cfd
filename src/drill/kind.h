// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

// The four kinds of sheet, numbered as the settings file keeps them.
enum class Kind { Addition = 0, Subtraction = 1, Multiplication = 2, Division = 3 };

inline constexpr std::array<Kind, 4> AllKinds
    = {Kind::Addition, Kind::Subtraction, Kind::Multiplication, Kind::Division};

// A stored kind number; anything outside 0..3 is addition, the sheet drawn
// for an unknown kind.
constexpr Kind kindFromNumber(int number)
{
    return number >= 0 && number <= 3 ? static_cast<Kind>(number) : Kind::Addition;
}

constexpr int kindNumber(Kind kind)
{
    return static_cast<int>(kind);
}

// Multiplication and division use nine rows and nine columns of the board.
constexpr int boardSize(Kind kind)
{
    return kind == Kind::Multiplication || kind == Kind::Division ? 9 : 10;
}
