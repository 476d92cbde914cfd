// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <cstdint>

namespace WindowPlace {

// The band of the title bar, at the window's top, that must lie on one screen
// for the user to grab the window and drag it back, in pixels (less when the
// window itself is smaller).
inline constexpr int TitleBandWidth = 64;
inline constexpr int TitleBandHeight = 16;

// Where a window of `size` (its frame) stored at `saved` opens: there when a
// title band of it lies on one of the `screens` (their available areas);
// otherwise in the middle of `primary`, as a window seen for the first time
// does. A window that shows much of itself but not its title bar cannot be
// moved, so it is moved here.
QPoint place(QPoint saved, QSize size, const QList<QRect>& screens, const QRect& primary);

// The middle of `area` for a window of `size`, never above or left of it.
QPoint centred(QSize size, const QRect& area);

// A window coordinate in pixels as the settings file keeps it, in twips, and
// back. Twips are held in 32 bits: a second screen lies beyond what 16 bits
// can hold.
std::int32_t toTwips(int pixels);
int fromTwips(std::int32_t twips);

} // namespace WindowPlace
