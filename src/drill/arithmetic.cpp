// SPDX-License-Identifier: GPL-3.0-or-later
#include "drill/arithmetic.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

int captionValue(const QString& caption)
{
    bool ok = false;
    const int value = caption.trimmed().toInt(&ok);
    return ok ? value : 0;
}

} // namespace

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

std::optional<int> expectedAnswer(int left, int top, int kind)
{
    // 64 bits: captions can hold any int, and their product must not wrap.
    const std::int64_t a = top;
    const std::int64_t b = left;
    std::int64_t answer = 0;
    switch (kind) {
    case 1:
        answer = a - b;
        break;
    case 2:
        answer = a * b;
        break;
    case 3: {
        if (b == 0)
            return std::nullopt;
        const double quotient = roundHalfEven(static_cast<double>(a) / static_cast<double>(b));
        if (!(std::fabs(quotient) <= std::numeric_limits<std::int16_t>::max() + 1.0))
            return std::nullopt;
        answer = static_cast<std::int64_t>(quotient);
        break;
    }
    default: // 0 and any kind outside 0..3
        answer = a + b;
        break;
    }
    if (answer < std::numeric_limits<std::int16_t>::min()
        || answer > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<int>(answer);
}

std::optional<int> expectedAnswer(const QString& leftCaption, const QString& topCaption, int kind)
{
    return expectedAnswer(captionValue(leftCaption), captionValue(topCaption), kind);
}

bool isDivisionOperand(int top, int left)
{
    if (left == 0 || static_cast<std::int64_t>(top) % left != 0)
        return false;
    const std::int64_t quotient = static_cast<std::int64_t>(top) / left;
    return quotient >= 1 && quotient <= 9;
}
