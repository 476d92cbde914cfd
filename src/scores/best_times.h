// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>

// The four best times, one line each in kind order, every line ended by
// CRLF: "たしざん： 1分05秒".
QString bestTimesList(const std::array<int, 4>& best);

// The two questions asked before the best times are cleared.
QString clearQuestion(const QString& list);
QString clearConfirmation(const QString& list);
