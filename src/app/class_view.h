// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "class/class_records.h"
#include "drill/kind.h"

#include <QWidget>

#include <optional>

class ClassKnownMap;
class ClassRoster;
class Desktop;
class QButtonGroup;
class QLabel;
class QPushButton;
class QStackedWidget;
class RecordsWindow;
class WeakFacts;

// The teacher's window of one class (varolin --class): the roster with each
// child's practice days of the last four weeks and their latest and best
// time, trend and count of facts known by heart in the chosen kind, the
// class's facts known by heart and its weak facts in that kind, a child's
// whole records window, the class's monthly reports, the class's CSV and
// the roster's edits.
// Everything is read from the server when shown, and nothing here waits for
// it: each part is filled when its answer comes, 「よみこみちゅう…」 in its
// place meanwhile, and the commands wait while a question is out. A part
// that cannot be read says so in its place, and the teacher is told why.
class ClassView : public QWidget
{
    Q_OBJECT

public:
    // `records` must be open and outlive the view. The roster and the weak
    // facts are asked for at once, and shown when they come.
    // `notOpened`: why `records` could not be opened (the server away); the
    // view says so and opens them when the teacher reads again.
    ClassView(ClassRecords& records, Desktop& desktop,
        const std::optional<Failure>& notOpened = std::nullopt, QWidget* parent = nullptr);
    ~ClassView() override;

public Q_SLOTS:
    // Reads the roster and the weak facts again, opening the records first
    // when they were not.
    void reload();
    void setKind(Kind kind);
    // The chosen child's records window, opened once their sheets are read.
    void openRecords();
    void addChild();
    void renameChild();
    // Asks for the chosen child's number in the class until the server
    // takes it or the teacher cancels.
    void setNumber();
    // Asks twice, naming the child and their sheets.
    void removeChild();
    void exportCsv();
    // Asks for the month and the printer, reads every child's sheets and
    // prints the class's reports of that month, a page per child in the
    // class's order, as one job.
    void printReports();

Q_SIGNALS:
    void recordsOpened(RecordsWindow* window);

private:
    void buildControls();
    void showUnopened(const Failure& why);
    void readFacts();
    QWidget* buildKnownPart(QWidget* parent);
    void readKnown();
    // The commands wait while a question is out; those of a child while
    // the roster is not read.
    void updateCommands();
    // The child of the chosen row, if any; if none, the teacher is asked
    // to choose one.
    const ClassChild* chosenChild();
    // Calls `done` with the answer to `question` when it comes; the
    // commands wait for it.
    template <typename T, typename Done> void await(const QFuture<T>& question, Done done);
    // Tells the teacher why the server did not answer.
    void tellProblem(const QString& what, const Failure& failure);
    // Asks for a name until the server takes it or the teacher cancels;
    // `keep` sends it and answers the edit.
    template <typename Keep>
    void askName(const QString& title, const QString& name, qint64 except, Keep keep);

    ClassRecords& records;
    Desktop& desk;
    Kind shownKind = Kind::Addition;
    QList<ClassChild> roster;
    bool rosterRead = false;
    bool opened = true;
    int questionsOut = 0;
    int factsAsked = 0; // only the answer to the last question is shown
    int knownAsked = 0; // as factsAsked

    QButtonGroup* kinds = nullptr;
    QPushButton* reloadCommand = nullptr;
    QStackedWidget* rosterPart = nullptr;
    ClassRoster* table = nullptr;
    QLabel* rosterMessage = nullptr;
    QStackedWidget* factsPart = nullptr;
    WeakFacts* facts = nullptr;
    QLabel* factsMessage = nullptr;
    QStackedWidget* knownPart = nullptr;
    ClassKnownMap* knownMap = nullptr;
    QLabel* knownMessage = nullptr;
    QLabel* askingNote = nullptr;
    QPushButton* recordsCommand = nullptr;
    QPushButton* addCommand = nullptr;
    QPushButton* renameCommand = nullptr;
    QPushButton* numberCommand = nullptr;
    QPushButton* removeCommand = nullptr;
    QPushButton* csvCommand = nullptr;
    QPushButton* reportsCommand = nullptr;
};

template <typename T, typename Done> void ClassView::await(const QFuture<T>& question, Done done)
{
    ++questionsOut;
    updateCommands();
    whenAnswered(question, this, [this, done = std::move(done)](const T& answer) mutable {
        --questionsOut;
        updateCommands();
        done(answer);
    });
}
