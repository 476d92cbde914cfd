// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/failure.h"
#include "settings/settings_file.h"

#include <QList>
#include <QPoint>
#include <QString>

#include <functional>
#include <optional>

struct Child;

// The settings of this machine's first child and of the window: read once
// when made, saved in one go. A run that had to end without a word leaves a
// note naming the file it could not write, told at the next start.
class SettingsKeeper
{
public:
    // `startTwips` is where the window opens before any setting is
    // applied: what a new file records. `unsavedNote` is the note's file;
    // none when empty.
    SettingsKeeper(SettingsLocation location, QPoint startTwips, QString unsavedNote = {});

    const Settings& settings() const { return settings_; }
    // What reading met: a file that cannot be used, the last run's save
    // that failed. Each to be told once the window shows.
    const QList<Failure>& startFailures() const { return atStart; }
    const QString& path() const { return file.path(); }

    // Where the window stands now, in twips, asked for at each save;
    // nothing keeps the place saved before.
    void setWindowPlace(std::function<std::optional<QPoint>()> place);

    // Saves with the first child's best times and kind.
    [[nodiscard]] Done save(const Child& first);
    // The first child's best times were cleared: their time limit goes
    // back to its default with them.
    void resetTimeLimit() { settings_.timeLimit = Settings::DefaultSeconds; }
    // As save(), with nobody to tell: a failure goes to the standard error
    // and into the note for the next start.
    void saveWithoutQuestion(const Child& first);

private:
    SettingsFile file;
    Settings settings_;
    QString unsavedNote;
    std::function<std::optional<QPoint>()> windowPlace;
    QList<Failure> atStart;
};
