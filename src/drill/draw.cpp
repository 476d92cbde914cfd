// SPDX-License-Identifier: GPL-3.0-or-later
#include "drill/draw.h"

#include <algorithm>
#include <cmath>

int drawDigit(const UnitRandom& random)
{
    return static_cast<int>(std::floor(random() * 10));
}

void drawDistinct(std::array<std::int16_t, 10>& slots, int count, const UnitRandom& random)
{
    for (int slot = 0; slot < count; ++slot) {
        std::int16_t digit;
        do {
            digit = static_cast<std::int16_t>(drawDigit(random));
        } while (std::find(slots.begin(), slots.end(), digit) != slots.end());
        slots[slot] = digit;
    }
}
