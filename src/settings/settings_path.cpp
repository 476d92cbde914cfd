#include "settings/settings_path.h"

#include <QDir>

QString settingsFilePath(const QString& programFolder)
{
    // The separator is always added, also after a root folder.
    return programFolder + QDir::separator() + QStringLiteral("Varolin.ini");
}
