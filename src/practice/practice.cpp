// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/practice.h"

#include "records/record_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

void Practice::switchKind()
{
    drill_->switchKind();
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
    return opened ? store.get() : nullptr;
}

void Practice::fileSheet(const FinishedSheet& finished)
{
    const Kind kind = finished.kind();
    SheetResult result;
    result.message = resultMessage(kindNumber(kind), finished.seconds, settings_.bestTime(kind));
    const bool record = result.message.verdict == Verdict::Record;
    if (record) {
        settings_.setBestTime(kind, finished.seconds);
        // A record is kept the moment it is made, not only at the end.
        save(&result.problems);
    }
    result.bestSeconds = settings_.bestTime(kind);

    // The sheet is kept before the child reads the verdict, so that nothing
    // that happens later can lose it.
    FinishedSheet filed = finished;
    filed.finishedAt = setup.now ? setup.now() : QDateTime::currentDateTime();
    filed.record = record;
    // A store that could not be opened is tried again; what it has to say
    // comes after the verdict with the rest.
    RecordStore* kept = openStore(result.problems);
    if (!kept || !kept->add(filed)) {
        ++notKept;
        note(result.problems, Problem::SheetNotKept, setup.records);
    }
    if (record)
        Q_EMIT bestTimesChanged();
    Q_EMIT sheetFiled(result);
}

bool Practice::save(QList<Report>* problems)
{
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
    settings_.bestTimes.fill(Settings::DefaultSeconds);
    settings_.timeLimit = Settings::DefaultSeconds;
    QList<Report> problems;
    save(&problems);
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
