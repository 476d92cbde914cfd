// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>

// The window is designed in twips; on screen 15 twips are one logical pixel.
// Every conversion between the two goes through here.
namespace Twips {

inline constexpr double PerPixel = 15.0;

constexpr int toPixels(double twips)
{
    const double pixels = twips / PerPixel;
    return static_cast<int>(pixels < 0 ? pixels - 0.5 : pixels + 0.5);
}

constexpr double fromPixels(int pixels)
{
    return pixels * PerPixel;
}

inline QRect rect(double left, double top, double width, double height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

// A place on a regular grid: the origin and the pitch are converted once
// each, so every step of the grid is the same number of pixels.
constexpr int gridPixels(double origin, double pitch, int step)
{
    return toPixels(origin) + step * toPixels(pitch);
}

} // namespace Twips
