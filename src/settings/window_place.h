#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <cstdint>

namespace WindowPlace {

// How much of the window must lie on one screen for the user to see and grab
// it, in pixels (less when the window itself is smaller).
inline constexpr int GrabWidth = 32;
inline constexpr int GrabHeight = 32;

// Where a window of `size` stored at `saved` opens: there when enough of it
// lies on one of the `screens` (their available areas); otherwise in the
// middle of `primary`, as a window seen for the first time does.
QPoint place(QPoint saved, QSize size, const QList<QRect>& screens, const QRect& primary);

// The middle of `area` for a window of `size`, never above or left of it.
QPoint centred(QSize size, const QRect& area);

// A window coordinate in pixels as the settings file keeps it, in twips, and
// back. Twips are held in 32 bits: a second screen lies beyond what 16 bits
// can hold.
std::int32_t toTwips(int pixels);
int fromTwips(std::int32_t twips);

} // namespace WindowPlace
