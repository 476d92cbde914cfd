// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/settings_file.h"

// The two settings the save loop of settings_helper writes in turn. Their
// texts differ in length, so that a file cut short or mixed from both shows.
inline Settings saveLoopSettings(bool second)
{
    Settings settings;
    settings.windowTwips = second ? QPoint(1234567, 7654321) : QPoint(15, 30);
    settings.bestTimes = second ? BestTimes({437, 1, 32767, 59}) : BestTimes();
    settings.kind = second ? Kind::Division : Kind::Addition;
    settings.timeLimit = second ? 30000 : 600;
    return settings;
}
