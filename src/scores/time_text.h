// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// How times in whole seconds are written.

// Best times: "10分00秒", "1分05秒", "0分45秒".
QString minutesText(int seconds);
// A finished sheet: "45秒" and "05秒" below one minute, else the minutes form.
QString shortText(int seconds);
// The running clock: "0:07", "1:05", "10:00".
QString clockText(int seconds);
