#pragma once

#include <QString>

// Where Varolin.ini lives for a program in `programFolder`.
QString settingsFilePath(const QString& programFolder);
