// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/machine_practice.h"

#include "practice/children.h"
#include "practice/class_link.h"
#include "practice/classroom.h"
#include "practice/practice.h"
#include "practice/records_access.h"
#include "practice/settings_keeper.h"
#include "practice/sheet_filing.h"
#include "practice/telling.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

MachinePractice::MachinePractice(PracticeSetup setup)
    : keeper(std::make_unique<SettingsKeeper>(setup.settings, setup.startTwips, setup.unsavedNote))
    , drill(std::make_unique<Drill>(keeper->settings().kind, setup.seed, setup.monotonic))
    , records(std::make_unique<RecordsAccess>(setup.records))
{
    const Settings& settings = keeper->settings();
    const QString mark = setup.records.isEmpty()
        ? QString()
        : QFileInfo(setup.records).absolutePath() + u"/several-children"_s;
    children = std::make_unique<Children>(
        Child{RecordStore::FirstChild, {}, settings.bestTimes, settings.kind}, mark,
        setup.classroom ? std::optional<QString>(setup.classroom->className) : std::nullopt);
    filing = std::make_unique<SheetFiling>(*keeper, *records, setup.now);
    telling = std::make_unique<Telling>();
    if (setup.classroom) {
        link_ = setup.makeLink ? setup.makeLink(*setup.classroom, setup.records)
                               : std::make_unique<SenderLink>(*setup.classroom, setup.records);
        classroom = std::make_unique<Classroom>(*setup.classroom, *link_, *records, setup.now);
    }
    QList<Failure> atStart;
    if (!setup.unusableClassConfig.isEmpty())
        atStart.append({Failed::ClassConfigUnusable, setup.unusableClassConfig});
    practice_ = std::make_unique<Practice>(
        *drill, *keeper, *records, *children, *filing, *telling, classroom.get(), atStart);
}

MachinePractice::~MachinePractice()
{
    // The practice and the class go before the parts they use.
    practice_.reset();
    classroom.reset();
    link_.reset();
}
