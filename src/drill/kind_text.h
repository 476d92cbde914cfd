// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/kind.h"

#include <QString>

// "たしざん", "ひきざん", "かけざん", "わりざん".
QString kindName(Kind kind);
// "＋", "－", "×", "÷".
QString kindSign(Kind kind);
