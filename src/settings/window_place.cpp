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
    const QRect window(saved, size);
    const int needWidth = std::min(GrabWidth, size.width());
    const int needHeight = std::min(GrabHeight, size.height());
    for (const QRect& screen : screens) {
        const QRect seen = window.intersected(screen);
        if (!seen.isEmpty() && seen.width() >= needWidth && seen.height() >= needHeight)
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
