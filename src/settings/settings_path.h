// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/failure.h"

#include <QString>

// The settings file chosen for a program: where it is, and whether it can be
// used at all.
struct SettingsLocation
{
    QString path;
    // False when neither the file beside the program nor the user's own can
    // be used: the program runs on its defaults and saves nothing. `path` is
    // then the user's file (the one beside the program when there is no
    // user folder), to be named to the user.
    bool usable = true;
};

// Where Varolin.ini lives for a program in `programFolder`.
//
// Beside the program when the folder is writable and the file there is
// missing, or a regular file (not a link) of at most 64 KiB that can be read
// and written. Otherwise the user's configuration folder, created when
// needed, with the same checks on the file there; a new file there starts as
// a copy of a readable regular file beside the program. When the user's
// folder cannot take the file, a readable regular file beside the program is
// still read (its saves then fail). Anything else beside the program (a link,
// pipe, device, folder, bigger or unreadable file) is left untouched: it is
// never opened for writing, replaced or followed.
[[nodiscard]] SettingsLocation locateSettingsFile(
    const QString& programFolder, const QString& userFolder);

// Makes the user's own settings file `own` as a copy of `beside`, the file
// beside the program. A file standing at `own`, even one that another copy
// of the program made a moment ago, is never replaced: FileNotWritten then,
// and when `beside` cannot be read or the copy cannot be written.
[[nodiscard]] Done adoptFileBeside(const QString& beside, const QString& own);

// The same with the user's configuration folder of the desktop.
[[nodiscard]] SettingsLocation locateSettingsFile(const QString& programFolder);
