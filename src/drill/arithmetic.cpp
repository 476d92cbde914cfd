// SPDX-License-Identifier: GPL-3.0-or-later
#include "drill/arithmetic.h"

#include <cmath>
#include <cstdint>
#include <limits>

double roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction < 0.5)
        return floor;
    if (fraction > 0.5)
        return floor + 1;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

std::optional<int> expectedAnswer(int left, int top, Kind kind)
{
    // 64 bits: the product of any two ints must not wrap.
    const std::int64_t a = top;
    const std::int64_t b = left;
    std::int64_t answer = 0;
    switch (kind) {
    case Kind::Subtraction:
        answer = a - b;
        break;
    case Kind::Multiplication:
        answer = a * b;
        break;
    case Kind::Division: {
        if (b == 0)
            return std::nullopt;
        const double quotient = roundHalfEven(static_cast<double>(a) / static_cast<double>(b));
        if (!(std::fabs(quotient) <= std::numeric_limits<std::int16_t>::max() + 1.0))
            return std::nullopt;
        answer = static_cast<std::int64_t>(quotient);
        break;
    }
    case Kind::Addition:
        answer = a + b;
        break;
    }
    if (answer < std::numeric_limits<std::int16_t>::min()
        || answer > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<int>(answer);
}
