// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/practice.h"

#include "practice/classroom.h"
#include "practice/records_access.h"
#include "practice/settings_keeper.h"
#include "practice/sheet_filing.h"
#include "practice/telling.h"
#include "records/record_reader.h"
#include "scores/best_times.h"

#include <utility>

using namespace Qt::StringLiterals;

Practice::Practice(Drill& drill, SettingsKeeper& settings, RecordsAccess& records,
    Children& children, SheetFiling& filing, Telling& telling, Classroom* classroom,
    QList<Failure> atStart, QObject* parent)
    : QObject(parent)
    , drill_(drill)
    , keeper(settings)
    , records(records)
    , children_(children)
    , filing(filing)
    , telling(telling)
    , classroom(classroom)
    , atStart(std::move(atStart))
{
    connect(&drill_, &Drill::sheetFinished, this, &Practice::fileSheet);
    connect(&drill_, &Drill::phaseChanged, this, &Practice::phaseChanged);
    // Each child keeps the kind they were on.
    connect(&drill_, &Drill::kindChanged, &children_, &Children::setKind);
    connect(&children_, &Children::changed, this, &Practice::childrenChanged);
    connect(&children_, &Children::chooserWanted, this, &Practice::chooserWanted);
    connect(&children_, &Children::atBoardChanged, this, &Practice::childAtBoardChanged);
    connect(&telling, &Telling::told, this, &Practice::failed);
    if (!classroom)
        return;
    connect(classroom, &Classroom::waitingChanged, this, &Practice::sheetsWaitingChanged);
    connect(classroom, &Classroom::rosterKept, this, [this] {
        if (RecordStore* store = this->records.store())
            children_.read(*store, betweenSheets());
    });
    connect(classroom, &Classroom::failed, this,
        [this](const Failure& failure) { this->telling.tell(failure, betweenSheets()); });
}

Practice::~Practice() = default;

const Settings& Practice::settings() const
{
    return keeper.settings();
}

void Practice::setWindowPlace(std::function<std::optional<QPoint>()> place)
{
    keeper.setWindowPlace(std::move(place));
}

int Practice::bestTime(Kind kind) const
{
    return bestTimeOf(child(), kind);
}

QString Practice::bestTimesList() const
{
    return ::bestTimesList(bestTimes(), Settings::DefaultSeconds);
}

void Practice::startUp()
{
    tell(keeper.startFailures() + std::exchange(atStart, {}));
    if (!children_.expectsSeveral())
        return;
    // A store that cannot be used was told; the first sheet tries again.
    (void)openRecords();
    // A class's roster may have wanted it already.
    if (children_.several() && !children_.chooserOffered())
        children_.wantChooser(betweenSheets());
}

Practice::Start Practice::startSheet()
{
    if (!betweenSheets())
        return Start::NotNow;
    const bool several = children_.several();
    const bool offered = children_.chooserOffered();
    QList<Failure> failures;
    openStore(failures);
    const QList<Failure> fresh = telling.once(failures);
    for (const Failure& failure : fresh)
        Q_EMIT this->failed(failure);
    // Records brought from elsewhere may hold children this machine did not
    // know of: who practises comes first (a class's roster may have asked
    // for the chooser already).
    if (!several && children_.several()) {
        if (children_.chooserOffered() == offered)
            children_.wantChooser(true);
        return Start::ChooseChild;
    }
    // What opening met is read before the clock runs.
    if (!fresh.isEmpty())
        return Start::AfterTelling;
    drill_.start();
    return Start::Started;
}

bool Practice::askStop()
{
    if (!drill_.isActive())
        return false;
    drill_.pause();
    return true;
}

void Practice::answerStop(bool giveUp)
{
    if (drill_.phase() != Drill::Phase::Paused)
        return;
    if (giveUp)
        drill_.abandon();
    else
        drill_.resume();
}

void Practice::switchKind()
{
    if (!betweenSheets())
        return;
    drill_.switchKind();
    // The first child's kind is the settings file's, kept at the end.
    if (child().id != RecordStore::FirstChild)
        if (const Done failed = filing.keep(child()))
            tell({*failed});
}

void Practice::newNumbers()
{
    drill_.newNumbers();
}

void Practice::verdictRead()
{
    if (drill_.phase() == Drill::Phase::Finished)
        drill_.clearBoard();
}

bool Practice::clearBestTimes()
{
    if (!betweenSheets())
        return false;
    children_.setBestTimes(BestTimes());
    if (child().id == RecordStore::FirstChild)
        keeper.resetTimeLimit();
    const Done failed = filing.keep(child());
    Q_EMIT bestTimesChanged();
    if (failed)
        tell({*failed});
    return true;
}

bool Practice::end()
{
    const Done failed = keeper.save(children_.first());
    if (failed)
        tell({*failed});
    return !failed;
}

void Practice::endWithoutQuestion()
{
    // A sheet under way is given up, as a stop would.
    drill_.abandon();
    keepWithoutQuestion();
}

void Practice::keepWithoutQuestion()
{
    keeper.saveWithoutQuestion(children_.first());
}

void Practice::askForChooser()
{
    children_.wantChooser(betweenSheets());
}

bool Practice::chooseChild(qint64 id)
{
    return children_.choose(records.store(), id, betweenSheets());
}

Outcome<Practice::NameProblem> Practice::addChild(const QString& name)
{
    return children_.add(records.store(), name);
}

Outcome<Practice::NameProblem> Practice::renameChild(qint64 id, const QString& name)
{
    return children_.rename(records.store(), id, name);
}

bool Practice::removeChild(qint64 id)
{
    return children_.remove(records.store(), id);
}

bool Practice::openRecords()
{
    QList<Failure> failures;
    const bool opened = openStore(failures) != nullptr;
    tell(failures);
    return opened;
}

std::unique_ptr<RecordReader> Practice::recordReader() const
{
    const RecordStore* store = records.store();
    return store ? localRecords(*store) : nullptr;
}

Outcome<int> Practice::sheetCount(qint64 child) const
{
    const RecordStore* store = records.store();
    if (!store)
        return Failure{Failed::RecordsUnusable, records.path(), u"not open"_s};
    return store->sheetCount(child);
}

Outcome<int> Practice::clearRecords(qint64 child)
{
    if (!openRecords())
        return Failure{Failed::RecordsUnusable, records.path(), u"not open"_s};
    if (Done failed = records.store()->clear(child))
        return *std::move(failed);
    // The store keeps a sheet the class does not have yet until it has it.
    if (classroom)
        classroom->recount();
    return sheetCount(child).value_or(0);
}

QList<Child> Practice::childrenWithRecordsShown() const
{
    return inClass() ? QList<Child>{child()} : children();
}

const QString& Practice::recordsPath() const
{
    return records.path();
}

int Practice::sheetsNotKept() const
{
    return filing.notKept();
}

std::optional<int> Practice::sheetsWaiting() const
{
    return classroom ? classroom->waiting() : std::nullopt;
}

QDateTime Practice::lateSince() const
{
    return classroom ? classroom->lateSince() : QDateTime();
}

RecordStore* Practice::openStore(QList<Failure>& failures)
{
    RecordStore* store = records.open(failures);
    if (store && records.openedJustNow()) {
        children_.read(*store, betweenSheets());
        if (classroom)
            classroom->storeOpened();
    }
    return store;
}

void Practice::fileSheet(const FinishedSheet& finished)
{
    const bool wasOpen = records.store() != nullptr;
    SheetFiling::Filed filed = filing.file(finished, child(), inClass());
    children_.setBestTimes(filed.bestTimes);
    // A store opened by this sheet brings its children and the class link.
    if (RecordStore* store = records.store(); store && !wasOpen) {
        children_.read(*store, false);
        if (classroom)
            classroom->storeOpened();
    }
    if (filed.stored && classroom)
        classroom->sheetStored();
    SheetResult result;
    result.message = filed.message;
    result.bestSeconds = bestTime(finished.kind());
    result.failures = telling.once(filed.failures);
    if (result.message.verdict == Verdict::Record)
        Q_EMIT bestTimesChanged();
    Q_EMIT sheetFiled(result);
}

void Practice::phaseChanged(Drill::Phase phase)
{
    if (phase != Drill::Phase::Idle) {
        if (classroom)
            classroom->setAtRest(false);
        return;
    }
    // What waited for the sheet's end is told once its verdict was read.
    telling.release();
    // A roster that came meanwhile is taken once nothing of the sheet is
    // left to handle.
    if (classroom)
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (betweenSheets())
                    classroom->setAtRest(true);
            },
            Qt::QueuedConnection);
}

void Practice::childAtBoardChanged()
{
    if (child().kind != drill_.kind())
        drill_.setKind(child().kind);
    Q_EMIT childChosen();
}

void Practice::tell(const QList<Failure>& failures)
{
    // Met by a command of the user's: told now. Only the class link's
    // failures, which come whenever they come, wait for the sheet's end.
    telling.tell(failures, true);
}
