// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "class/class_config.h"

#include <QString>

class Desktop;

// What the teacher is told when the class's server cannot be used.
QString classProblemText(ClassProblem problem);

// varolin --class: the class view of class.ini's class, opened with its
// teacher login, in place of the drill. Tells in a box why it cannot open
// and returns 1 then; otherwise runs until the view closes.
int runClassView(Desktop& desktop, const QString& programFolder);
