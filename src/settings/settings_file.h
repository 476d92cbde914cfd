// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/best_times.h"
#include "drill/failure.h"
#include "drill/kind.h"
#include "settings/settings_path.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QPoint>
#include <QString>

#include <array>
#include <cstddef>
#include <optional>

// What the program keeps between runs.
struct Settings
{
    // What the file keeps for a best time not set yet, or cleared, and what a
    // sheet must then beat; also the time limit's default.
    static constexpr int DefaultSeconds = 600;

    // The first child's best times; none yet where the file keeps 600.
    BestTimes bestTimes;
    Kind kind = Kind::Addition;
    int timeLimit = DefaultSeconds; // seconds
    // The window's top-left corner in twips: x is Win_Lft, y is Win_Top.
    // Nothing when the file keeps no position (the window stays where it
    // opened) and, when saving, the file's position is left as it is.
    std::optional<QPoint> windowTwips;

    bool operator==(const Settings&) const = default;
};

// The settings as a file keeps them, repaired: a best time that is missing,
// not a number, 0 or less, or above 32767 is 600 (a best time of 0 could never
// be beaten); so is a time limit that is missing, negative or above 32767; a
// kind outside 0..3 is addition. A best time of 600 is none yet. A position
// key that is missing takes its coordinate from `startTwips`, where the window
// opened; with both missing there is no position.
Settings settingsFromText(QByteArrayView text, QPoint startTwips);

// `text` with every key of `settings` set: [General] Win_Top, Win_Lft, then
// [Parameter] T_MinTM, H_MinTM, K_MonTM, Calc_Md, LimTM, W_MinTM. Lines the
// keys do not touch keep their bytes; a missing section or key is added in
// that order. Nothing when the text cannot take them (UTF-16).
std::optional<QByteArray> settingsText(QByteArrayView text, const Settings& settings);

// The settings file: loaded once, with its repairs, and saved in one file
// replacement. No call runs the event loop.
class SettingsFile
{
public:
    enum class Status {
        Loaded, // read from the file; most repairs reach it at the next save
        Created, // there was no file: one was written with the defaults
    };

    struct Loaded
    {
        Settings settings;
        Status status = Status::Loaded;
    };

    // The file at `location.path`, or none when it is not usable.
    explicit SettingsFile(SettingsLocation location);

    // The file read and written; the one to name to the user when it is
    // unusable or a save fails.
    const QString& path() const { return location.path; }

    // Reads the file. A missing file is created by one save with the
    // defaults and `startTwips`, the window's place before any setting is
    // applied. A missing or negative LimTM or W_MinTM is written as 600 at
    // once; every other repair waits for the next save. Anything that is not
    // a regular file of at most 64 KiB, and a file that cannot be read, is
    // left untouched: SettingsUnusable, and the program runs on the
    // defaults (say so once).
    [[nodiscard]] Outcome<Loaded> load(QPoint startTwips) const;

    // Writes every key in one replacement of the file (a temporary file
    // renamed over it). SettingsNotSaved when nothing could be written: the
    // file is then as it was. A file that exists but cannot be read is never
    // overwritten. A file that already holds these values is not rewritten.
    [[nodiscard]] Done save(const Settings& settings) const;

private:
    SettingsLocation location;
};
