// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/practice.h"

#include "records/record_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cstdio>
#include <utility>

Practice::Practice(Setup setup, QObject* parent)
    : QObject(parent)
    , setup(std::move(setup))
    , settingsFile(std::make_unique<SettingsFile>(this->setup.settings))
{ }

Practice::~Practice() = default;

QList<Practice::Report> Practice::begin(QPoint windowTwips)
{
    const SettingsFile::Loaded loaded = settingsFile->load(windowTwips);
    settings_ = loaded.settings;
    children_ = {Child{RecordStore::FirstChild, {}, settings_.bestTimes, settings_.kind}};
    drill_ = new Drill(settings_.kind, setup.seed, setup.monotonic, this);
    connect(drill_, &Drill::sheetFinished, this, &Practice::fileSheet);

    QList<Report> problems;
    if (loaded.status == SettingsFile::Status::Unusable)
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
    return problems;
}

void Practice::setWindowPlace(std::function<QPoint()> place)
{
    windowPlace = std::move(place);
}

const std::array<int, 4>& Practice::bestTimes() const
{
    return current == RecordStore::FirstChild ? settings_.bestTimes : child().bestTimes;
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
    store->setChildBests(current, shown->bestTimes, shown->kind);
}

RecordStore* Practice::records()
{
    QList<Report> problems;
    RecordStore* opened = openStore(problems);
    tell(problems);
    return opened;
}

RecordStore* Practice::openStore(QList<Report>& problems)
{
    if (store && store->isOpen())
        return store.get();
    store = std::make_unique<RecordStore>(setup.records);
    const bool opened = store->open();
    if (store->problem() == RecordStore::Problem::Damaged)
        problems.append({Problem::RecordsMovedAside, store->movedAsideTo()});
    else if (!opened)
        note(problems, Problem::SheetNotKept, setup.records);
    if (!opened)
        return nullptr;
    readChildren();
    return store.get();
}

void Practice::readChildren()
{
    const std::optional<QList<Child>> stored = store->children();
    if (!stored || stored->isEmpty() || stored->first().id != RecordStore::FirstChild)
        return;
    children_ = *stored;
    // The settings file keeps the first child's own.
    children_.first().bestTimes = settings_.bestTimes;
    children_.first().kind = settings_.kind;
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
    Q_EMIT childrenChanged();
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
    return hasSeveralChildren() || (!mark.isEmpty() && QFileInfo::exists(mark));
}

QString Practice::cleanName(const QString& name)
{
    QString kept;
    for (const QChar c : name.normalized(QString::NormalizationForm_C)) {
        if (c.category() != QChar::Other_Control || c.isSpace())
            kept += c;
    }
    return kept.simplified();
}

Practice::NameProblem Practice::checkName(const QString& name, qint64 except) const
{
    const QString clean = cleanName(name);
    if (clean.isEmpty())
        return NameProblem::Empty;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, clean);
    int length = 0;
    while (characters.toNextBoundary() > 0)
        ++length;
    if (length > MaxNameLength)
        return NameProblem::TooLong;
    for (const Child& each : children_) {
        if (each.id != except && each.name == clean)
            return NameProblem::Taken;
    }
    return NameProblem::None;
}

Practice::NameProblem Practice::addChild(const QString& name)
{
    const NameProblem problem = checkName(name);
    if (problem != NameProblem::None)
        return problem;
    if (!store || !store->isOpen() || !store->addChild(cleanName(name)))
        return NameProblem::NotSaved;
    readChildren();
    return NameProblem::None;
}

Practice::NameProblem Practice::renameChild(qint64 id, const QString& name)
{
    const NameProblem problem = checkName(name, id);
    if (problem != NameProblem::None)
        return problem;
    if (!store || !store->isOpen() || !store->renameChild(id, cleanName(name)))
        return NameProblem::NotSaved;
    readChildren();
    return NameProblem::None;
}

bool Practice::removeChild(qint64 id)
{
    if (id == RecordStore::FirstChild || id == current || !store || !store->isOpen()
        || !store->removeChild(id))
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
    if (current == RecordStore::FirstChild)
        settings_.kind = drill_->kind();
    current = id;
    last = id;
    if (store && store->isOpen())
        store->setLastChild(id);
    const Kind kind = current == RecordStore::FirstChild ? settings_.kind : found->kind;
    if (kind != drill_->kind())
        drill_->setKind(kind);
    Q_EMIT childChosen();
    return true;
}

void Practice::fileSheet(const FinishedSheet& finished)
{
    const Kind kind = finished.kind();
    SheetResult result;
    const std::size_t index = std::size_t(kindNumber(kind));
    result.message = resultMessage(kind, finished.seconds, bestTimes()[index]);
    const bool record = result.message.verdict == Verdict::Record;
    if (record)
        setBestTimes(
            [&](std::array<int, 4>& times) { times[index] = finished.seconds; }, &result.problems);
    result.bestSeconds = bestTimes()[index];

    // The sheet is kept before the child reads the verdict, so that nothing
    // that happens later can lose it.
    FinishedSheet filed = finished;
    filed.finishedAt = setup.now ? setup.now() : QDateTime::currentDateTime();
    filed.record = record;
    // A store that could not be opened is tried again; what it has to say
    // comes after the verdict with the rest.
    RecordStore* kept = openStore(result.problems);
    if (!kept || !kept->add(filed, current)) {
        ++notKept;
        note(result.problems, Problem::SheetNotKept, setup.records);
    }
    if (record)
        Q_EMIT bestTimesChanged();
    Q_EMIT sheetFiled(result);
}

void Practice::setBestTimes(
    const std::function<void(std::array<int, 4>&)>& change, QList<Report>* problems)
{
    if (current == RecordStore::FirstChild) {
        change(settings_.bestTimes);
        children_.first().bestTimes = settings_.bestTimes;
        // A record is kept the moment it is made, not only at the end.
        save(problems);
        return;
    }
    Child* shown = currentChild();
    change(shown->bestTimes);
    shown->kind = drill_->kind();
    if (!store || !store->isOpen() || !store->setChildBests(current, shown->bestTimes, shown->kind))
        note(*problems, Problem::SheetNotKept, setup.records);
}

bool Practice::save(QList<Report>* problems)
{
    // The settings file keeps the first child's kind, whoever practised.
    if (current == RecordStore::FirstChild)
        settings_.kind = drill_->kind();
    if (windowPlace)
        settings_.windowTwips = windowPlace();
    if (settingsFile->save(settings_))
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
    setBestTimes(
        [](std::array<int, 4>& times) { times.fill(Settings::DefaultSeconds); }, &problems);
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
    if (save(nullptr))
        return;
    std::fprintf(stderr, "Varolin: the settings could not be saved to %s\n",
        qPrintable(QDir::toNativeSeparators(settingsFile->path())));
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
