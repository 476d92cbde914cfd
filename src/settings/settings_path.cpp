#include "settings/settings_path.h"

#include "settings/profile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

const QString FileName = u"Varolin.ini"_s;

// A settings file is replaced by renaming a new file over it, which needs a
// writable folder; a read-only file is never replaced.
bool replaceable(const QString& folder, const QString& path)
{
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir() || !folderInfo.isWritable())
        return false;
    const QFileInfo file(path);
    return !file.exists() || file.isWritable();
}

} // namespace

QString settingsFilePath(const QString& programFolder)
{
    return settingsFilePath(
        programFolder, QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QString settingsFilePath(const QString& programFolder, const QString& userFolder)
{
    // The separator is always added, also after a root folder.
    const QString beside = programFolder + QDir::separator() + FileName;
    if (replaceable(programFolder, beside) || userFolder.isEmpty())
        return beside;

    QDir().mkpath(userFolder);
    const QString own = QDir(userFolder).filePath(FileName);
    if (!QFileInfo::exists(own)) {
        // Records kept beside the program before stay with the user.
        if (const std::optional<QByteArray> text = Profile::readFile(beside))
            Profile::writeFile(own, *text);
    }
    // With nowhere to write, the records beside the program can still be read.
    if (!QFileInfo::exists(own) && QFileInfo::exists(beside))
        return beside;
    return own;
}
