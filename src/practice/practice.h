// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "class/class_config.h"
#include "drill/drill.h"
#include "practice/child_name.h"
#include "records/record_store.h"
#include "scores/verdict.h"
#include "settings/settings_file.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class ClassSender;
class RecordReader;

// The practice of the child at the board: the drill, their best times and
// settings, their stored sheets, and what a finished sheet means. The window
// shows what this reports and asks the questions; nothing here shows
// anything or reads the desktop: files, clock and seed are handed in.
class Practice : public QObject
{
    Q_OBJECT

public:
    struct Setup
    {
        SettingsLocation settings;
        QString records; // the records database
        std::uint32_t seed = 0;
        Drill::Clock monotonic;
        std::function<QDateTime()> now; // local time with its offset
        // A note left when an end without a question could not save, so
        // that the next start tells it; none when empty.
        QString unsavedNote;
        // The class this machine works for, as class.ini says; without one
        // every sheet stays on this machine.
        std::optional<ClassConfig> classroom{};
        // A class.ini that could not be used: told once, and the machine
        // works alone.
        QString unusableClassConfig{};
    };

    // What the user is to be told. Each is reported once a run at most.
    enum class Problem {
        SettingsUnusable, // no settings file can be used: defaults this run
        SettingsNotSaved, // a save failed; the file is as it was
        SettingsNotSavedLastTime, // the last run ended without its save
        RecordsMovedAside, // a damaged records file was renamed, a new one begun
        SheetNotKept, // the records cannot be used, or a sheet was not stored
        ClassConfigUnusable, // class.ini cannot be used: the sheets stay here
        ClassRefused, // the class server cannot be used as configured
        ClassUnknown, // the class server knows no child of the class
        SheetsRefused, // sheets of children off the roster stay on this machine
    };
    struct Report
    {
        Problem problem;
        QString path; // the file concerned; for the class server, the server
        std::optional<Failed> classProblem{}; // why it was refused
        // For whoever keeps the server: what failed, which file, the
        // server's or libpq's words.
        QString detail{};
    };

    // What the child is told about a finished sheet.
    struct SheetResult
    {
        ResultMessage message;
        int bestSeconds = 0; // of the sheet's kind after the sheet, as bestTime() gives it
        // Problems met while keeping it, to be told after the verdict.
        QList<Report> problems;
    };

    explicit Practice(Setup setup, QObject* parent = nullptr);
    ~Practice() override;

    // Reads the settings and draws the first sheet of their kind; until then
    // there is no drill. `windowTwips` is where the window stands before any
    // setting is applied: what a new file records. Returns what to tell once
    // the window is on the screen.
    QList<Report> begin(QPoint windowTwips);
    // Where the window stands now, in twips, asked for at each save;
    // nothing keeps the place saved before.
    void setWindowPlace(std::function<std::optional<QPoint>()> place);

    Drill& drill() { return *drill_; }
    const Drill& drill() const { return *drill_; }
    const Settings& settings() const { return settings_; }
    // The best times of the child at the board.
    const BestTimes& bestTimes() const;
    // The best time of `kind` that the child is shown and a sheet is judged
    // against: the settings' 600 while there is none yet.
    int bestTime(Kind kind) const;
    // The best time of the kind on the board.
    int bestTime() const { return bestTime(drill_->kind()); }
    // The four best times as the question before clearing them lists them.
    QString bestTimesList() const;

    void switchKind();

    // The children, in the order they were added: the first alone until
    // the records are open, and while they cannot be used.
    const QList<Child>& children() const { return children_; }
    bool hasSeveralChildren() const { return children_.size() > 1; }
    // The window is on the screen: when several children are expected the
    // records open now, and the chooser is wanted when there are.
    void startUp();
    // The chooser is asked for: wanted only between sheets.
    void askForChooser();
    enum class Start {
        Started, // the drill runs
        ChooseChild, // the records brought children: who practises comes first
    };
    // Starts a sheet. With one child known the records open here, with the
    // first sheet, rather than between its last answer and the verdict.
    Start startSheet();
    // The child at the board.
    const Child& child() const;
    // The child chosen last time, to be offered first.
    qint64 lastChild() const { return last; }

    // The name's rule (None when the name was kept), or the failure that
    // kept a good name from being stored (SheetNotKept, also for a
    // class's roster, which is not edited here).
    using NameProblem = ChildName::Problem;
    [[nodiscard]] Outcome<NameProblem> addChild(const QString& name);
    [[nodiscard]] Outcome<NameProblem> renameChild(qint64 id, const QString& name);
    // Whether children may be added, renamed and removed here: a class's
    // roster is the teacher's, kept on the server.
    bool rosterEditable() const { return !inClass(); }
    // Neither the first child, nor the child at the board, nor a child of a
    // class's roster.
    bool canRemove(qint64 id) const;
    QList<Child> removableChildren() const;
    // Removes the child and their sheets, when canRemove() allows. False
    // when that failed.
    bool removeChild(qint64 id);
    // The child at the board from now on, with their kind and best times;
    // only between sheets.
    bool chooseChild(qint64 id);

    // Opens the store of finished sheets unless it is open; tried again
    // after a failure. False while it cannot be used (reported once a run).
    bool openRecords();
    // The sheets for a window to read, from the store the practice keeps:
    // null while it is not open. Must not outlive the practice.
    std::unique_ptr<RecordReader> recordReader() const;
    // How many sheets `child` has stored; nothing when unknown.
    std::optional<int> sheetCount(qint64 child) const;
    // Deletes the stored sheets of `child`; the child and their best times
    // stay. On a classroom machine a sheet the class server does not have
    // yet stays until it has it: the number that stayed is returned;
    // nothing when the sheets could not be erased.
    std::optional<int> clearRecords(qint64 child);
    // Whether the records window offers clearing: not on a classroom
    // machine, where the teacher clears a child's sheets on the server.
    bool recordsClearable() const { return !inClass(); }
    // The children whose records this machine's records window shows: on a
    // classroom machine only the child at the board, classmates' records
    // being none of theirs; else every child.
    QList<Child> childrenWithRecordsShown() const;
    const QString& recordsPath() const { return setup.records; }
    // Sheets of this run that could not be stored.
    int sheetsNotKept() const { return notKept; }

    // Whether this machine sends its sheets to a class server. Its children
    // are then the class roster, once it has been read.
    bool inClass() const { return setup.classroom.has_value(); }
    // The sheets stored here that the class server does not have yet; none
    // without a class, or while the store cannot be read.
    std::optional<int> sheetsWaiting() const { return waiting; }
    // When the oldest sheet still waiting for the class was finished, once
    // it has waited longer than a school day (LateAfterHours); invalid
    // otherwise. Read again with the sheets waiting.
    QDateTime lateSince() const { return late; }
    static constexpr int LateAfterHours = 24;

    // The best times of the child at the board back to none yet, saved at once;
    // for the first child the time limit back to 600 too.
    void clearBestTimes();
    // Saves everything on the way out; false when that failed (reported).
    bool end();
    // The session ends or a signal came: a sheet under way is given up and
    // everything saved without a word on screen. A failed save goes to the
    // standard error and is told at the next start.
    void endWithoutQuestion();
    // The session is about to end and may still be cancelled: everything is
    // saved as endWithoutQuestion() saves it, and a sheet under way goes on.
    void keepWithoutQuestion();

Q_SIGNALS:
    // A sheet was finished and kept; emitted before the board is emptied.
    void sheetFiled(const Practice::SheetResult& result);
    // The best times changed (a record, or clearing).
    void bestTimesChanged();
    // Another child is at the board.
    void childChosen();
    // The child at the board is to be asked for: between sheets, when the
    // window shows with several children, when records brought others, when
    // a class's roster first came, and when asked for.
    void chooserWanted();
    // The children were read, renamed, added or removed.
    void childrenChanged();
    // Something to tell from the records, clearing or ending.
    void problem(const Practice::Report& report);
    // The number of sheets waiting to be sent changed.
    void sheetsWaitingChanged();

private:
    // Whether the records held several children when last read, on this
    // machine or an earlier run. With one child the records wait for the
    // first sheet, and the program starts without the database.
    bool expectsSeveralChildren() const;
    // Reads the number of sheets waiting for the class again.
    void refreshWaiting();
    void fileSheet(const FinishedSheet& finished);
    bool save(QList<Report>* problems);
    // Changes the best times of the child at the board and keeps them.
    void setBestTimes(const std::function<void(BestTimes&)>& change, QList<Report>* problems);
    RecordStore* openStore(QList<Report>& problems);
    void readChildren();
    QString severalChildrenMark() const;
    // The child at the board from now on; only between sheets.
    void setCurrent(const Child& child);
    void startSending();
    void takeRoster(const QList<RosterChild>& roster);
    void setWaiting(std::optional<int> sheets);
    // Tells a problem of the class server between sheets, never in the
    // middle of one.
    void tellBetweenSheets(Problem problem, const QString& path, std::optional<Failed> why,
        const QString& detail = {});
    const Child* find(qint64 id) const;
    void wantChooser();
    // The names of the children but `except`, as kept.
    QStringList namesBeside(qint64 except) const;
    Child* currentChild();
    // Keeps the kind of a child other than the first, whose kind the
    // settings file keeps.
    void keepChildKind();
    // Adds a report unless that problem was told already this run.
    void note(QList<Report>& problems, Problem problem, const QString& path);
    void tell(const QList<Report>& problems);

    Setup setup;
    std::unique_ptr<SettingsFile> settingsFile;
    Settings settings_;
    Drill* drill_ = nullptr;
    std::function<std::optional<QPoint>()> windowPlace;
    std::unique_ptr<RecordStore> store;
    int notKept = 0;
    QList<Child> children_;
    qint64 current = RecordStore::FirstChild;
    qint64 last = RecordStore::FirstChild;
    QList<Problem> told;
    // Told after the sheet under way.
    QList<Report> heldBack;
    std::optional<int> waiting;
    QDateTime late;
    QList<RosterChild> lastRoster; // as the server gave it last
    // A roster that came during a sheet, taken once the board is idle.
    std::optional<QList<RosterChild>> heldRoster;
    // The chooser was wanted this run.
    bool chooserOffered = false;
    // Declared after the store so that its thread ends before the store
    // closes.
    std::unique_ptr<ClassSender> sender;
};
