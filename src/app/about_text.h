// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The about message: the version, the credit line and the project's web
// address, one per line. Lines are separated by a lone carriage return, the
// way message boxes of this program break lines.
QString aboutText();

// Where the read-me lies for a program in `programFolder`.
QString readmePath(const QString& programFolder);
