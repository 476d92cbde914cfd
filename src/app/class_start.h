// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class Desktop;

// varolin --class: the class view of class.ini's class, opened with its
// teacher login, in place of the drill. Tells in a box why it cannot open
// and returns 1 then; otherwise runs until the view closes.
int runClassView(Desktop& desktop, const QString& programFolder);
