// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRectF>
#include <QSizeF>

#include <algorithm>

// Where a picture of `size` goes on a page whose printable area is `page`:
// as large as fits, proportions kept, centred across and at the top.
inline QRectF fitOnPage(const QSizeF& size, const QRectF& page)
{
    if (size.isEmpty() || page.isEmpty())
        return {page.topLeft(), QSizeF(0, 0)};
    const double scale = std::min(page.width() / size.width(), page.height() / size.height());
    const QSizeF fitted = size * scale;
    return {QPointF(page.left() + (page.width() - fitted.width()) / 2, page.top()), fitted};
}
