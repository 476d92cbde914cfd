// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <functional>

// A uniform draw from [0, 1).
using UnitRandom = std::function<double()>;

// A digit 0..9 from one uniform draw.
int drawDigit(const UnitRandom& random);

// Fills slots 0..count-1 of `slots`, in ascending order, with digits that
// appear nowhere in the ten slots yet. Unfilled slots must hold a value that
// is no digit (255); whatever the other slots hold blocks that digit, so a
// 0 preset in slot 9 keeps 0 out of the draw.
void drawDistinct(std::array<std::int16_t, 10>& slots, int count, const UnitRandom& random);
