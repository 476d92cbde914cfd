// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/settings_keeper.h"

#include "records/record_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>
#include <utility>

SettingsKeeper::SettingsKeeper(SettingsLocation location, QPoint startTwips, QString unsavedNote)
    : file(std::move(location))
    , unsavedNote(std::move(unsavedNote))
{
    const Outcome<SettingsFile::Loaded> loaded = file.load(startTwips);
    // No file can be used: the defaults this run, and that is told.
    settings_ = loaded ? loaded->settings : Settings();
    if (!loaded)
        atStart.append({Failed::SettingsUnusable, file.path(), loaded.failure().detail});
    // The last run could not keep its settings when it was made to end; the
    // note names the file it could not write.
    if (!this->unsavedNote.isEmpty() && QFileInfo(this->unsavedNote).isFile()) {
        QFile note(this->unsavedNote);
        const QString path
            = note.open(QIODevice::ReadOnly) ? QString::fromUtf8(note.readAll()) : QString();
        note.close();
        QFile::remove(this->unsavedNote);
        atStart.append({Failed::SettingsNotSavedLastTime, path});
    }
}

void SettingsKeeper::setWindowPlace(std::function<std::optional<QPoint>()> place)
{
    windowPlace = std::move(place);
}

Done SettingsKeeper::save(const Child& first)
{
    settings_.bestTimes = first.bestTimes;
    settings_.kind = first.kind;
    if (const std::optional<QPoint> place = windowPlace ? windowPlace() : std::nullopt)
        settings_.windowTwips = place;
    return file.save(settings_);
}

void SettingsKeeper::saveWithoutQuestion(const Child& first)
{
    const Done failed = save(first);
    if (!failed)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(failureLog(*failed)));
    if (unsavedNote.isEmpty())
        return;
    QDir().mkpath(QFileInfo(unsavedNote).absolutePath());
    QSaveFile note(unsavedNote);
    if (note.open(QIODevice::WriteOnly)) {
        note.write(file.path().toUtf8());
        // A note that cannot be written either leaves the standard error's
        // line as all there is: nothing else is left to try on the way out.
        (void)note.commit();
    }
}
