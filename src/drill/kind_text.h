// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// How a kind number is filed: 0 addition, 1 subtraction, 2 multiplication;
// every other value is filed as division, as the kind display shows it.
int kindIndex(int kind);
// "たしざん", "ひきざん", "かけざん", "わりざん".
QString kindName(int kind);
// "＋", "－", "×", "÷".
QString kindSign(int kind);
