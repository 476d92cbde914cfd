// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_path.h"

#include "settings/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString FileName = u"Varolin.ini"_s;

bool accessible(const QString& path, int mode)
{
    return ::access(QFile::encodeName(path).constData(), mode) == 0;
}

// A file whose records can be read. Anything that is not a plain file of
// settings size is never opened.
bool readableFile(const QString& path)
{
    return Profile::inspect(path) == Profile::Entry::File && accessible(path, R_OK);
}

bool writableFolder(const QString& folder)
{
    return QFileInfo(folder).isDir() && accessible(folder, W_OK | X_OK);
}

// A settings file is replaced by renaming a new file over it, which needs a
// writable folder; a file that cannot be read is never replaced, since its
// records would be lost.
bool replaceable(const QString& folder, const QString& path)
{
    if (!writableFolder(folder))
        return false;
    switch (Profile::inspect(path)) {
    case Profile::Entry::Missing:
        return true;
    case Profile::Entry::File:
        return accessible(path, R_OK | W_OK);
    case Profile::Entry::Refused:
        break;
    }
    return false;
}

} // namespace

Done adoptFileBeside(const QString& beside, const QString& own)
{
    const std::optional<QByteArray> text = Profile::readFile(beside);
    if (!text)
        return Failure{Failed::FileNotWritten, own, u"%1 cannot be read"_s.arg(beside)};
    if (!Profile::createFile(own, *text))
        return Failure{Failed::FileNotWritten, own};
    return {};
}

SettingsLocation locateSettingsFile(const QString& programFolder, const QString& userFolder)
{
    // The separator is always added, also after a root folder.
    const QString beside = programFolder + QDir::separator() + FileName;
    if (replaceable(programFolder, beside))
        return {beside, true};
    const bool besideReadable = readableFile(beside);
    if (userFolder.isEmpty())
        return {beside, besideReadable || Profile::inspect(beside) == Profile::Entry::Missing};

    QDir().mkpath(userFolder);
    const QString own = QDir(userFolder).filePath(FileName);
    // Records kept beside the program before stay with the user. Whether the
    // copy was made needs no telling: the checks below find what stands
    // there, the copy, another copy's file or nothing.
    if (Profile::inspect(own) == Profile::Entry::Missing && besideReadable)
        (void)adoptFileBeside(beside, own);
    if (readableFile(own) || replaceable(userFolder, own))
        return {own, true};
    // With nowhere to write, the records beside the program can still be read.
    if (besideReadable)
        return {beside, true};
    return {own, false};
}

SettingsLocation locateSettingsFile(const QString& programFolder)
{
    return locateSettingsFile(
        programFolder, QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}
