// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "class/class_config.h"
#include "drill/drill.h"
#include "settings/settings_path.h"

#include <QDateTime>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class Children;
class ClassLink;
class Classroom;
class Practice;
class RecordsAccess;
class SettingsKeeper;
class SheetFiling;
class Telling;

// Where a machine's practice keeps its files and what it is handed from
// outside: the clock, the seed, the class.
struct PracticeSetup
{
    SettingsLocation settings;
    QString records; // the records database
    std::uint32_t seed = 0;
    Drill::Clock monotonic;
    std::function<QDateTime()> now; // local time with its offset
    // A note left when an end without a question could not save, so that
    // the next start tells it; none when empty.
    QString unsavedNote{};
    // The class this machine works for, as class.ini says; without one
    // every sheet stays on this machine.
    std::optional<ClassConfig> classroom{};
    // A class.ini that could not be used: told once, and the machine works
    // alone.
    QString unusableClassConfig{};
    // Where the window opens before any setting is applied: what a new
    // settings file records.
    QPoint startTwips{};
    // The way to the class server; the class connection's when null.
    std::function<std::unique_ptr<ClassLink>(const ClassConfig&, const QString& records)>
        makeLink{};
};

// The practice of this machine with every part of it, each made here and
// handed to the next: what the program and the tests start from.
class MachinePractice
{
public:
    explicit MachinePractice(PracticeSetup setup);
    ~MachinePractice();
    MachinePractice(const MachinePractice&) = delete;
    MachinePractice& operator=(const MachinePractice&) = delete;

    Practice& practice() { return *practice_; }
    // The class link, null without a class.
    ClassLink* link() { return link_.get(); }

private:
    std::unique_ptr<SettingsKeeper> keeper;
    std::unique_ptr<Drill> drill;
    std::unique_ptr<RecordsAccess> records;
    std::unique_ptr<Children> children;
    std::unique_ptr<SheetFiling> filing;
    std::unique_ptr<Telling> telling;
    // After the store: its thread ends before the store closes.
    std::unique_ptr<ClassLink> link_;
    std::unique_ptr<Classroom> classroom;
    std::unique_ptr<Practice> practice_;
};
