// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>

class QScreen;
class QWidget;

// Places the top-level `window` on `screen`'s available area (the screen
// less the desktop's panels) at `wanted` size or less, never smaller than
// its layout allows, centred, with the frame the desktop draws around it
// (title bar and borders) inside that area too. The frame is only known
// once the window is shown: until then a usual one is assumed, and when the
// real one arrives the window is fitted again if it no longer fits.
void fitOnScreen(QWidget* window, QScreen* screen, const QSize& wanted);
