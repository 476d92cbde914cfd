// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/best_times.h"
#include "drill/failure.h"
#include "drill/finished_sheet.h"
#include "scores/verdict.h"

#include <QDateTime>
#include <QList>

#include <functional>

class RecordsAccess;
class SettingsKeeper;
struct Child;

// The best time a child is shown and a sheet of `kind` is judged against:
// the time the files keep for none while there is none yet.
int bestTimeOf(const Child& child, Kind kind);

// What becomes of a finished sheet: judged against the child's best time, a
// record kept the moment it is made, the sheet stored before the child reads
// the verdict so that nothing later can lose it.
class SheetFiling
{
public:
    SheetFiling(SettingsKeeper& settings, RecordsAccess& records, std::function<QDateTime()> now);

    struct Filed
    {
        ResultMessage message;
        // The child's best times after the sheet.
        BestTimes bestTimes;
        bool stored = false;
        // What keeping it met, to be told after the verdict.
        QList<Failure> failures;
    };
    // Files `sheet` as `child`'s; with `toClass` it also waits in the store
    // for the class server.
    Filed file(const FinishedSheet& sheet, const Child& child, bool toClass);

    // Keeps the best times and kind of `child`: the first child's in the
    // settings file, any other's in the store.
    [[nodiscard]] Done keep(const Child& child);

    // Sheets of this run that could not be stored.
    int notKept() const { return notKept_; }

private:
    SettingsKeeper& settings;
    RecordsAccess& records;
    std::function<QDateTime()> now;
    int notKept_ = 0;
};
