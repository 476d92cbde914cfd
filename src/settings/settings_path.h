#pragma once

#include <QString>

// Where Varolin.ini lives for a program in `programFolder`: beside the
// program when the file there can be replaced (the folder is writable, and
// so is the file if it exists); otherwise in the user's configuration folder,
// so that a program installed where it cannot write still keeps its records.
QString settingsFilePath(const QString& programFolder);

// The same with the user's configuration folder given; it is created when
// needed, and a new file there starts as a copy of the one beside the
// program, if there is one. When that folder cannot take the file either, the
// one beside the program is still read.
QString settingsFilePath(const QString& programFolder, const QString& userFolder);
