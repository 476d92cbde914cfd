// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/arithmetic.h"
#include "drill/sheet.h"
#include "records/record_store.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <random>

// Ten years of a child's practice, for the benchmarks of the record store
// and the records window.
namespace RecordGenerator {

using namespace Qt::StringLiterals;

inline constexpr int GeneratedSheets = 20000;

// A child's sheet on a given day: each fact takes a time that shrinks as the
// years of practice go by, harder facts longer, now and then a wrong digit.
inline FinishedSheet practisedSheet(Kind kind, const QDateTime& finishedAt, double skill,
    QRandomGenerator& random, std::mt19937& spread)
{
    FinishedSheet finished;
    finished.sheet = drawSheet(kind, random);
    finished.finishedAt = finishedAt;
    std::lognormal_distribution<double> pause(0.0, 0.35);
    double total = 0;
    for (int cell = 0; cell <= finished.sheet.lastCell(); ++cell) {
        if (!finished.sheet.inPlay(cell))
            continue;
        const int left = finished.sheet.left(cell);
        const int top = finished.sheet.top(cell);
        const double hard = 1.0 + (left + top % 10) / 12.0;
        const int milliseconds = int(1800.0 * hard * skill * pause(spread));
        const int wrong = random.bounded(100) < 4 ? 1 + random.bounded(2) : 0;
        finished.cells.push_back(
            {cell, left, top, expectedAnswer(left, top, kind).value_or(0), milliseconds, wrong});
        finished.wrongDigits += wrong;
        total += milliseconds;
    }
    finished.seconds = int(total / 1000);
    return finished;
}

// One database of GeneratedSheets sheets, made once and shared by every case:
// about ten years of daily practice, five or six sheets a day over the four
// kinds, kept in one time zone with two years in another. With `children`
// above one, sheet n is child 1 + n % children's.
struct Generated
{
    QTemporaryDir dir;
    QString path;
    QDate lastDay;

    explicit Generated(int children = 1)
        : path(dir.filePath(u"records.sqlite"_s))
    {
        // Kept for a look with sqlite3 when asked.
        if (qEnvironmentVariableIsSet("VAROLIN_BENCH_KEEP")) {
            dir.setAutoRemove(false);
            qInfo("generated database: %s", qPrintable(path));
        }
        RecordStore store(path);
        if (!store.open())
            qFatal("cannot open %s", qPrintable(path));
        for (int child = 2; child <= children; ++child) {
            if (!store.addChild(u"こども%1"_s.arg(child)))
                qFatal("cannot add child %d", child);
        }
        QRandomGenerator random(20261207);
        std::mt19937 spread(7);
        QDate day(2016, 12, 8);
        int stored = 0;
        std::array<int, 4> best = {600, 600, 600, 600};
        while (stored < GeneratedSheets) {
            const int offset = day.year() >= 2020 && day.year() < 2022 ? -5 * 3600 : 9 * 3600;
            const double skill = 1.6 - 0.9 * stored / GeneratedSheets;
            const int today = 5 + random.bounded(2);
            for (int n = 0; n < today && stored < GeneratedSheets; ++n, ++stored) {
                const Kind kind = AllKinds[n % 4];
                const QDateTime at(day, QTime(16, 0).addSecs(n * 900 + random.bounded(600)),
                    Qt::OffsetFromUTC, offset);
                FinishedSheet sheet = practisedSheet(kind, at, skill, random, spread);
                sheet.record = sheet.seconds < best[n % 4];
                best[n % 4] = std::min(best[n % 4], sheet.seconds);
                if (store.add(sheet, RecordStore::FirstChild + stored % children))
                    qFatal("cannot store sheet %d", stored);
            }
            lastDay = day;
            day = day.addDays(1);
        }
    }
};

inline Generated& generated()
{
    static Generated database;
    return database;
}

// The same sheets spread over four children.
inline Generated& generatedFamily()
{
    static Generated database(4);
    return database;
}

} // namespace RecordGenerator
