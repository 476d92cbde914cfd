// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/best_times.h"

#include <QString>

// The four best times, one line each in kind order, every line ended by
// CRLF: "たしざん： 1分05秒"; a kind with none yet shows `noneYet` seconds.
QString bestTimesList(const BestTimes& best, int noneYet);

// The two questions asked before the best times are cleared.
QString clearQuestion(const QString& list);
QString clearConfirmation(const QString& list);
