// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/window_place.h"

#include "drill/twips.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace WindowPlace {

QPoint centred(QSize size, const QRect& area)
{
    return {area.left() + std::max(0, (area.width() - size.width()) / 2),
        area.top() + std::max(0, (area.height() - size.height()) / 2)};
}

QPoint place(QPoint saved, QSize size, const QList<QRect>& screens, const QRect& primary)
{
    // The whole width of the window's top rows; some stretch of it, as wide
    // as the band, must fall on one screen with its full height.
    const int bandHeight = std::min(TitleBandHeight, size.height());
    const int bandWidth = std::min(TitleBandWidth, size.width());
    const QRect top(saved, QSize(size.width(), bandHeight));
    for (const QRect& screen : screens) {
        const QRect seen = top.intersected(screen);
        if (!seen.isEmpty() && seen.height() == bandHeight && seen.width() >= bandWidth)
            return saved;
    }
    return centred(size, primary);
}

std::int32_t toTwips(int pixels)
{
    const double twips = std::round(Twips::fromPixels(pixels));
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(twips, low, high));
}

int fromTwips(std::int32_t twips)
{
    return Twips::toPixels(twips);
}

} // namespace WindowPlace
