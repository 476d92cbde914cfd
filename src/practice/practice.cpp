// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/practice.h"

#include "class/class_sender.h"
#include "records/record_reader.h"
#include "records/record_store.h"
#include "scores/best_times.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <utility>

using namespace Qt::StringLiterals;

Practice::Practice(Setup setup, QObject* parent)
    : QObject(parent)
    , setup(std::move(setup))
    , settingsFile(std::make_unique<SettingsFile>(this->setup.settings))
{ }

Practice::~Practice() = default;

QList<Practice::Report> Practice::begin(QPoint windowTwips)
{
    const Outcome<SettingsFile::Loaded> loaded = settingsFile->load(windowTwips);
    settings_ = loaded ? loaded->settings : Settings();
    children_ = {Child{RecordStore::FirstChild, {}, settings_.bestTimes, settings_.kind}};
    drill_ = new Drill(settings_.kind, setup.seed, setup.monotonic, this);
    connect(drill_, &Drill::sheetFinished, this, &Practice::fileSheet);
    // What waited for the sheet's end is told, and a roster that came
    // meanwhile taken, once its verdict was read and nothing of the sheet is
    // left to handle.
    connect(drill_, &Drill::phaseChanged, this, [this](Drill::Phase phase) {
        if (phase != Drill::Phase::Idle)
            return;
        tell(std::exchange(heldBack, {}));
        if (heldRoster)
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (heldRoster && drill_->phase() == Drill::Phase::Idle)
                        takeRoster(*std::exchange(heldRoster, std::nullopt));
                },
                Qt::QueuedConnection);
    });

    QList<Report> problems;
    if (!loaded)
        note(problems, Problem::SettingsUnusable, settingsFile->path());
    // The last run could not keep its settings when it was made to end; the
    // note names the file it could not write.
    if (!setup.unsavedNote.isEmpty() && QFileInfo(setup.unsavedNote).isFile()) {
        QFile file(setup.unsavedNote);
        const QString path
            = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        file.close();
        QFile::remove(setup.unsavedNote);
        note(problems, Problem::SettingsNotSavedLastTime, path);
    }
    if (!setup.unusableClassConfig.isEmpty())
        note(problems, Problem::ClassConfigUnusable, setup.unusableClassConfig);
    return problems;
}

void Practice::setWindowPlace(std::function<std::optional<QPoint>()> place)
{
    windowPlace = std::move(place);
}

const BestTimes& Practice::bestTimes() const
{
    return current == RecordStore::FirstChild ? settings_.bestTimes : child().bestTimes;
}

int Practice::bestTime(Kind kind) const
{
    // With none yet a sheet must beat the time the files keep for none, as
    // it always had to, and the board shows that time.
    return bestTimes().of(kind).value_or(Settings::DefaultSeconds);
}

QString Practice::bestTimesList() const
{
    return ::bestTimesList(bestTimes(), Settings::DefaultSeconds);
}

const Child* Practice::find(qint64 id) const
{
    const auto found = std::find_if(
        children_.begin(), children_.end(), [id](const Child& each) { return each.id == id; });
    return found == children_.end() ? nullptr : &*found;
}

const Child& Practice::child() const
{
    const Child* shown = find(current);
    return shown ? *shown : children_.first();
}

Child* Practice::currentChild()
{
    return const_cast<Child*>(find(current));
}

void Practice::switchKind()
{
    drill_->switchKind();
    keepChildKind();
}

void Practice::keepChildKind()
{
    Child* shown = currentChild();
    if (current == RecordStore::FirstChild || !shown || !store || !store->isOpen())
        return;
    shown->kind = drill_->kind();
    (void)store->setChildBests(current, shown->bestTimes, shown->kind);
}

bool Practice::openRecords()
{
    QList<Report> problems;
    const bool opened = openStore(problems) != nullptr;
    tell(problems);
    return opened;
}

std::unique_ptr<RecordReader> Practice::recordReader() const
{
    if (!store || !store->isOpen())
        return nullptr;
    return localRecords(*store);
}

std::optional<int> Practice::sheetCount(qint64 child) const
{
    if (!store || !store->isOpen())
        return std::nullopt;
    return store->sheetCount(child);
}

QList<Child> Practice::childrenWithRecordsShown() const
{
    return inClass() ? QList<Child>{child()} : children_;
}

std::optional<int> Practice::clearRecords(qint64 child)
{
    if (!openRecords() || store->clear(child))
        return std::nullopt;
    // The store keeps a sheet the class does not have yet until it has it.
    refreshWaiting();
    return store->sheetCount(child).value_or(0);
}

RecordStore* Practice::openStore(QList<Report>& problems)
{
    if (store && store->isOpen())
        return store.get();
    store = std::make_unique<RecordStore>(setup.records);
    const Outcome<Done> opened = store->open();
    if (opened && *opened)
        problems.append({Problem::RecordsMovedAside, (*opened)->path});
    else if (!opened)
        note(problems, Problem::SheetNotKept, setup.records);
    if (!opened)
        return nullptr;
    readChildren();
    startSending();
    return store.get();
}

void Practice::readChildren()
{
    // With a class, the roster as last read from the server; until it has
    // been read once, the children of this machine.
    QList<Child> found;
    if (inClass())
        found = store->rosterChildren(setup.classroom->className).value_or(QList<Child>());
    if (found.isEmpty()) {
        const std::optional<QList<Child>> stored = store->children();
        if (!stored || stored->isEmpty() || stored->first().id != RecordStore::FirstChild)
            return;
        found = *stored;
    }
    children_ = found;
    // The settings file keeps the first child's own.
    for (Child& each : children_) {
        if (each.id == RecordStore::FirstChild) {
            each.bestTimes = settings_.bestTimes;
            each.kind = settings_.kind;
        }
    }
    last = store->lastChild().value_or(RecordStore::FirstChild);
    // A mark beside the records, not a setting: one child leaves the
    // settings file as it always was. Only when the chooser comes depends
    // on it; a lost mark is found out when the records open.
    const QString mark = severalChildrenMark();
    if (!mark.isEmpty() && hasSeveralChildren() != QFileInfo::exists(mark)) {
        if (hasSeveralChildren())
            QFile(mark).open(QIODevice::WriteOnly);
        else
            QFile::remove(mark);
    }
    // A child who is not on the roster does not practise here: the one of
    // last time does, or the first.
    if (!find(current) && drill_ && drill_->phase() == Drill::Phase::Idle)
        setCurrent(find(last) ? *find(last) : children_.first());
    Q_EMIT childrenChanged();
    // A class whose roster came only now, from the server: the child at the
    // board is asked for, once.
    if (inClass() && !chooserOffered && hasSeveralChildren())
        wantChooser();
}

QString Practice::severalChildrenMark() const
{
    if (setup.records.isEmpty())
        return {};
    return QFileInfo(setup.records).absolutePath() + QStringLiteral("/several-children");
}

bool Practice::expectsSeveralChildren() const
{
    const QString mark = severalChildrenMark();
    // A classroom machine asks who practises from the class roster.
    return hasSeveralChildren() || inClass() || (!mark.isEmpty() && QFileInfo::exists(mark));
}

void Practice::startUp()
{
    if (!expectsSeveralChildren())
        return;
    openRecords();
    // A class's roster may have wanted it already.
    if (hasSeveralChildren() && !chooserOffered)
        wantChooser();
}

void Practice::askForChooser()
{
    wantChooser();
}

void Practice::wantChooser()
{
    if (!drill_ || drill_->phase() != Drill::Phase::Idle)
        return;
    chooserOffered = true;
    // The board shows the child the chooser offers first, the one of last
    // time, not another child while the question is open.
    if (const Child* offered = find(last); offered && offered->id != current)
        setCurrent(*offered);
    Q_EMIT chooserWanted();
}

Practice::Start Practice::startSheet()
{
    const bool several = hasSeveralChildren();
    const bool offered = chooserOffered;
    openRecords();
    // Records brought from elsewhere may hold children this machine did not
    // know of: who practises comes first (a class's roster may have asked
    // for the chooser already).
    if (!several && hasSeveralChildren()) {
        if (chooserOffered == offered)
            wantChooser();
        return Start::ChooseChild;
    }
    drill_->start();
    return Start::Started;
}

void Practice::startSending()
{
    if (!inClass() || sender)
        return;
    setWaiting(store->waitingCount());
    sender = std::make_unique<ClassSender>(*setup.classroom, setup.records);
    connect(sender.get(), &ClassSender::rosterRead, this, &Practice::takeRoster);
    // Counted again here: a count of the sender's thread may predate a sheet
    // stored since, and would say too few wait.
    connect(sender.get(), &ClassSender::sheetsWaiting, this, &Practice::refreshWaiting);
    connect(sender.get(), &ClassSender::problem, this, [this](const Failure& failure) {
        if (!told.contains(Problem::ClassRefused))
            std::fprintf(stderr, "%s\n", qPrintable(failureLog(failure)));
        tellBetweenSheets(Problem::ClassRefused, failure.path, failure.what, failure.detail);
    });
    connect(sender.get(), &ClassSender::sheetsRefused, this, [this](int, const Failure& failure) {
        std::fprintf(stderr, "%s\n", qPrintable(failureLog(failure)));
        tellBetweenSheets(Problem::SheetsRefused, failure.path, std::nullopt);
    });
    sender->start();
}

void Practice::takeRoster(const QList<RosterChild>& roster)
{
    // A class the server does not know, or not for this login, sends
    // nothing: that is told, and the roster kept from before stays.
    if (roster.isEmpty()) {
        tellBetweenSheets(Problem::ClassUnknown,
            setup.classroom->className + u" ("_s + setup.classroom->login + u')', std::nullopt);
        return;
    }
    // The children change between sheets only: the child at the board
    // finishes as who they began, and the chooser comes after.
    if (drill_ && drill_->phase() != Drill::Phase::Idle) {
        heldRoster = roster;
        return;
    }
    // Read again every few minutes; mostly unchanged.
    if (roster == lastRoster || !store || !store->isOpen()
        || store->keepRoster(setup.classroom->className, roster))
        return;
    lastRoster = roster;
    readChildren();
    // Children linked just now may have sheets waiting for them.
    refreshWaiting();
    if (sender)
        sender->sendWaiting();
}

void Practice::refreshWaiting()
{
    if (inClass() && store && store->isOpen())
        setWaiting(store->waitingCount());
}

void Practice::setWaiting(std::optional<int> sheets)
{
    // A sheet that waits too long is shown on the board for whoever walks
    // by: the machine has not reached its class for a school day.
    QDateTime oldest;
    if (sheets.value_or(0) > 0 && store && store->isOpen())
        oldest = store->oldestWaiting().value_or(QDateTime());
    const QDateTime now = setup.now ? setup.now() : QDateTime::currentDateTime();
    if (oldest.isValid() && oldest.secsTo(now) <= LateAfterHours * 3600)
        oldest = QDateTime();
    if (sheets == waiting && oldest == late)
        return;
    waiting = sheets;
    late = oldest;
    Q_EMIT sheetsWaitingChanged();
}

void Practice::tellBetweenSheets(
    Problem problem, const QString& path, std::optional<Failed> why, const QString& detail)
{
    QList<Report> problems;
    note(problems, problem, path);
    for (Report& report : problems) {
        report.classProblem = why;
        report.detail = detail;
    }
    // A finished sheet counts until its verdict was read.
    if (drill_ && drill_->phase() != Drill::Phase::Idle)
        heldBack += problems;
    else
        tell(problems);
}

QStringList Practice::namesBeside(qint64 except) const
{
    QStringList names;
    for (const Child& each : children_) {
        if (each.id != except)
            names.append(each.name);
    }
    return names;
}

Outcome<Practice::NameProblem> Practice::addChild(const QString& name)
{
    const NameProblem problem = ChildName::check(name, namesBeside(0));
    if (problem != NameProblem::None)
        return problem;
    if (!rosterEditable() || !store || !store->isOpen() || !store->addChild(ChildName::clean(name)))
        return Failure{Failed::SheetNotKept, setup.records};
    readChildren();
    return NameProblem::None;
}

Outcome<Practice::NameProblem> Practice::renameChild(qint64 id, const QString& name)
{
    const NameProblem problem = ChildName::check(name, namesBeside(id));
    if (problem != NameProblem::None)
        return problem;
    if (!rosterEditable() || !store || !store->isOpen()
        || store->renameChild(id, ChildName::clean(name)))
        return Failure{Failed::SheetNotKept, setup.records};
    readChildren();
    return NameProblem::None;
}

bool Practice::canRemove(qint64 id) const
{
    return rosterEditable() && id != RecordStore::FirstChild && id != current && find(id);
}

QList<Child> Practice::removableChildren() const
{
    QList<Child> removable;
    for (const Child& each : children_) {
        if (canRemove(each.id))
            removable.append(each);
    }
    return removable;
}

bool Practice::removeChild(qint64 id)
{
    if (!canRemove(id) || !store || !store->isOpen() || store->removeChild(id))
        return false;
    readChildren();
    return true;
}

bool Practice::chooseChild(qint64 id)
{
    if (drill_->phase() != Drill::Phase::Idle)
        return false;
    const Child* found = find(id);
    if (!found)
        return false;
    last = id;
    if (store && store->isOpen())
        (void)store->setLastChild(id);
    setCurrent(*found);
    return true;
}

void Practice::setCurrent(const Child& child)
{
    if (current == RecordStore::FirstChild)
        settings_.kind = drill_->kind();
    current = child.id;
    const Kind kind = current == RecordStore::FirstChild ? settings_.kind : child.kind;
    if (kind != drill_->kind())
        drill_->setKind(kind);
    Q_EMIT childChosen();
}

void Practice::fileSheet(const FinishedSheet& finished)
{
    const Kind kind = finished.kind();
    SheetResult result;
    result.message = resultMessage(kind, finished.seconds, bestTime(kind));
    const bool record = result.message.verdict == Verdict::Record;
    if (record)
        setBestTimes(
            [&](BestTimes& times) { times.set(kind, finished.seconds); }, &result.problems);
    result.bestSeconds = bestTime(kind);

    // The sheet is kept before the child reads the verdict, so that nothing
    // that happens later can lose it.
    FinishedSheet filed = finished;
    filed.finishedAt = setup.now ? setup.now() : QDateTime::currentDateTime();
    filed.record = record;
    // A store that could not be opened is tried again; what it has to say
    // comes after the verdict with the rest.
    RecordStore* kept = openStore(result.problems);
    // With a class, the sheet waits in the store until the server has it;
    // a child who has no roster child yet (the roster was never read)
    // keeps it waiting for the class.
    const auto send = inClass() ? RecordStore::Send::ToClass : RecordStore::Send::No;
    if (!kept || kept->add(filed, current, send)) {
        ++notKept;
        note(result.problems, Problem::SheetNotKept, setup.records);
    } else if (inClass() && sender) {
        setWaiting(kept->waitingCount());
        // Sent on the sender's thread while the child reads the verdict.
        sender->sendWaiting();
    }
    result.problems += std::exchange(heldBack, {});
    if (record)
        Q_EMIT bestTimesChanged();
    Q_EMIT sheetFiled(result);
}

void Practice::setBestTimes(const std::function<void(BestTimes&)>& change, QList<Report>* problems)
{
    if (current == RecordStore::FirstChild) {
        change(settings_.bestTimes);
        // Wherever a class roster puts the first child, if anywhere.
        if (Child* first = const_cast<Child*>(find(RecordStore::FirstChild)))
            first->bestTimes = settings_.bestTimes;
        // A record is kept the moment it is made, not only at the end.
        save(problems);
        return;
    }
    Child* shown = currentChild();
    change(shown->bestTimes);
    shown->kind = drill_->kind();
    if (!store || !store->isOpen() || store->setChildBests(current, shown->bestTimes, shown->kind))
        note(*problems, Problem::SheetNotKept, setup.records);
}

bool Practice::save(QList<Report>* problems)
{
    // The settings file keeps the first child's kind, whoever practised.
    if (current == RecordStore::FirstChild)
        settings_.kind = drill_->kind();
    if (const std::optional<QPoint> place = windowPlace ? windowPlace() : std::nullopt)
        settings_.windowTwips = place;
    if (!settingsFile->save(settings_))
        return true;
    if (problems)
        note(*problems, Problem::SettingsNotSaved, settingsFile->path());
    return false;
}

void Practice::clearBestTimes()
{
    QList<Report> problems;
    if (current == RecordStore::FirstChild)
        settings_.timeLimit = Settings::DefaultSeconds;
    setBestTimes([](BestTimes& times) { times.clear(); }, &problems);
    Q_EMIT bestTimesChanged();
    tell(problems);
}

bool Practice::end()
{
    QList<Report> problems;
    const bool saved = save(&problems);
    tell(problems);
    return saved;
}

void Practice::endWithoutQuestion()
{
    // A sheet under way is given up, as a stop would.
    drill_->abandon();
    keepWithoutQuestion();
}

void Practice::keepWithoutQuestion()
{
    if (save(nullptr))
        return;
    std::fprintf(stderr, "%s\n",
        qPrintable(failureLog(
            {Failed::SettingsNotSaved, QDir::toNativeSeparators(settingsFile->path())})));
    if (setup.unsavedNote.isEmpty())
        return;
    QDir().mkpath(QFileInfo(setup.unsavedNote).absolutePath());
    QSaveFile note(setup.unsavedNote);
    if (note.open(QIODevice::WriteOnly)) {
        note.write(settingsFile->path().toUtf8());
        note.commit();
    }
}

void Practice::note(QList<Report>& problems, Problem problem, const QString& path)
{
    // Told once a run: the drill goes on either way. A file that cannot be
    // used and one that cannot be saved are one problem to the user.
    const Problem kind = problem == Problem::SettingsUnusable ? Problem::SettingsNotSaved : problem;
    if (told.contains(kind))
        return;
    told.append(kind);
    problems.append({problem, path});
}

void Practice::tell(const QList<Report>& problems)
{
    for (const Report& report : problems)
        Q_EMIT problem(report);
}
