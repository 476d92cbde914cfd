// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/drill.h"
#include "drill/failure.h"
#include "practice/child_name.h"
#include "practice/children.h"
#include "records/record_store.h"
#include "scores/verdict.h"
#include "settings/settings_file.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class Classroom;
class RecordReader;
class RecordsAccess;
class SettingsKeeper;
class SheetFiling;
class Telling;

// The practice of the child at the board: the one face the window talks
// to. Every command comes here, and this says whether it may happen now;
// what a finished sheet means, who practises, what the class link and the
// store met are its parts' business, which it wires together. Nothing here
// shows anything or reads the desktop.
class Practice : public QObject
{
    Q_OBJECT

public:
    // What the child is told about a finished sheet.
    struct SheetResult
    {
        ResultMessage message;
        int bestSeconds = 0; // of the sheet's kind after the sheet, as bestTime() gives it
        // What keeping it met, to be told after the verdict.
        QList<Failure> failures;
    };

    // The parts, made outside; `classroom` is null on a machine without a
    // class. All must outlive the practice. `atStart` is what the program
    // met before (a class.ini it cannot use), told with what reading the
    // settings met.
    Practice(Drill& drill, SettingsKeeper& settings, RecordsAccess& records, Children& children,
        SheetFiling& filing, Telling& telling, Classroom* classroom, QList<Failure> atStart = {},
        QObject* parent = nullptr);
    ~Practice() override;

    // The drill on the board, for the board to show and type into; its
    // commands go through the practice.
    Drill& drill() { return drill_; }
    const Drill& drill() const { return drill_; }
    const Settings& settings() const;
    void setWindowPlace(std::function<std::optional<QPoint>()> place);

    // Between sheets: nothing under way and no verdict unread. Whatever
    // changes the board, the child or the records waits for it.
    bool betweenSheets() const { return drill_.phase() == Drill::Phase::Idle; }

    // The best times of the child at the board.
    const BestTimes& bestTimes() const { return children_.atBoard().bestTimes; }
    // The best time of `kind` that the child is shown and a sheet is judged
    // against: the settings' 600 while there is none yet.
    int bestTime(Kind kind) const;
    int bestTime() const { return bestTime(drill_.kind()); }
    // The four best times as the question before clearing them lists them.
    QString bestTimesList() const;

    // Commands.
    // The window is on the screen: what reading the settings met is told;
    // when several children are expected the records open now, and the
    // chooser is wanted when there are.
    void startUp();
    enum class Start {
        Started, // the drill runs
        ChooseChild, // the records brought children: who practises comes first
        AfterTelling, // opening the records met something: told first, then ask again
        NotNow, // a sheet is under way or its verdict unread
    };
    // Starts a sheet. With one child known the records open here, with the
    // first sheet, rather than between its last answer and the verdict.
    Start startSheet();
    // The stop question is to be asked: the clock holds. False when no
    // sheet is under way.
    bool askStop();
    // The stop question was answered: `giveUp` throws the sheet away.
    void answerStop(bool giveUp);
    void switchKind();
    void newNumbers();
    // The verdict was read: the board is emptied.
    void verdictRead();
    // The best times of the child at the board back to none yet, saved at
    // once; for the first child the time limit back to 600 too. Only
    // between sheets; false otherwise.
    bool clearBestTimes();
    // Saves everything on the way out; false when that failed (told).
    bool end();
    // The session ends or a signal came: a sheet under way is given up and
    // everything saved without a word on screen. A failed save goes to the
    // standard error and is told at the next start.
    void endWithoutQuestion();
    // The session is about to end and may still be cancelled: everything is
    // saved as endWithoutQuestion() saves it, and a sheet under way goes on.
    void keepWithoutQuestion();

    // The children.
    const QList<Child>& children() const { return children_.all(); }
    bool hasSeveralChildren() const { return children_.several(); }
    const Child& child() const { return children_.atBoard(); }
    // The child chosen last time, to be offered first.
    qint64 lastChild() const { return children_.last(); }
    // The name the board, its title and the printed sheets show: none while
    // there is one child.
    QString nameShown() const { return children_.nameShown(); }
    // The chooser is asked for: wanted only between sheets.
    void askForChooser();
    // The child at the board from now on, with their kind and best times;
    // only between sheets.
    bool chooseChild(qint64 id);
    using NameProblem = ChildName::Problem;
    [[nodiscard]] Outcome<NameProblem> addChild(const QString& name);
    [[nodiscard]] Outcome<NameProblem> renameChild(qint64 id, const QString& name);
    bool rosterEditable() const { return children_.rosterEditable(); }
    bool canRemove(qint64 id) const { return children_.canRemove(id); }
    QList<Child> removableChildren() const { return children_.removable(); }
    [[nodiscard]] bool removeChild(qint64 id);

    // The records.
    // Opens the store unless it is open; tried again after a failure.
    // False while it cannot be used (told once a run).
    [[nodiscard]] bool openRecords();
    // The sheets for a window to read: null while the store is not open.
    // Must not outlive the practice.
    std::unique_ptr<RecordReader> recordReader() const;
    Outcome<int> sheetCount(qint64 child) const;
    // Deletes the stored sheets of `child`; the child and their best times
    // stay. On a classroom machine a sheet the class server does not have
    // yet stays until it has it: the number that stayed is returned;
    // nothing when the sheets could not be erased.
    Outcome<int> clearRecords(qint64 child);
    // Not on a classroom machine, where the teacher clears a child's sheets
    // on the server.
    bool recordsClearable() const { return !inClass(); }
    // On a classroom machine only the child at the board, classmates'
    // records being none of theirs; else every child.
    QList<Child> childrenWithRecordsShown() const;
    const QString& recordsPath() const;
    int sheetsNotKept() const;

    // The class.
    bool inClass() const { return classroom != nullptr; }
    std::optional<int> sheetsWaiting() const;
    QDateTime lateSince() const;
    static constexpr int LateAfterHours = 24;

Q_SIGNALS:
    // A sheet was finished and kept; emitted before the board is emptied.
    void sheetFiled(const Practice::SheetResult& result);
    // The best times changed (a record, or clearing).
    void bestTimesChanged();
    // Another child is at the board.
    void childChosen();
    // The child at the board is to be asked for.
    void chooserWanted();
    // The children were read, renamed, added or removed.
    void childrenChanged();
    // Something to tell, once, between sheets.
    void failed(const Failure& failure);
    // The number of sheets waiting to be sent changed.
    void sheetsWaitingChanged();

private:
    void fileSheet(const FinishedSheet& finished);
    void phaseChanged(Drill::Phase phase);
    // Opens the store; what that met is in `failures`.
    RecordStore* openStore(QList<Failure>& failures);
    void childAtBoardChanged();
    void tell(const QList<Failure>& failures);

    Drill& drill_;
    SettingsKeeper& keeper;
    RecordsAccess& records;
    Children& children_;
    SheetFiling& filing;
    Telling& telling;
    Classroom* classroom;
    QList<Failure> atStart;
};
