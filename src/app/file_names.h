// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// `text` (a child's name) made fit to be part of a file name the program
// proposes: the characters a file system or a file dialog would read as a
// folder, a drive, a wildcard or an extension are written in their
// full-width form, which reads the same in Japanese, and control characters
// are dropped. Spaces at the ends go.
QString fileNamePart(const QString& text);

// Where a file the user saves is proposed: their documents folder, or their
// home folder where there is none (a file dialog given a folder that does
// not exist opens in the program's working folder instead).
QString documentsFolder();
