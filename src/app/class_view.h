// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/kind.h"
#include "class/class_records.h"

#include <QWidget>

class Desktop;
class FactMap;
class QAbstractButton;
class QButtonGroup;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTableWidget;
class RecordsWindow;

// The teacher's window of one class (varolin --class): the roster with each
// child's practice days of the last four weeks and their latest and best
// time and trend in the chosen kind, the class's weak facts in that kind, a
// child's whole records window, the class's CSV and the roster's edits.
// Everything is read from the server when shown; a part that cannot be read
// says so in its place, and the teacher is told why.
class ClassView : public QWidget
{
    Q_OBJECT

public:
    // `records` must be open and outlive the view.
    ClassView(ClassRecords& records, Desktop& desktop, QWidget* parent = nullptr);
    ~ClassView() override;

    Kind kind() const { return shownKind; }
    const QList<ClassChild>& children() const { return roster; }

    // The parts, for tests.
    enum Column { Name, ThisWeek, Latest = ThisWeek + 4, Best, Trend, Columns };
    QTableWidget* rosterTable() const { return table; }
    FactMap* factMap() const { return facts; }
    // Shown in place of the roster or the facts when they cannot be read.
    QLabel* rosterUnreadableLabel() const { return rosterUnreadable; }
    QLabel* factsUnreadableLabel() const { return factsUnreadable; }
    QAbstractButton* kindButton(Kind kind) const;
    QPushButton* recordsButton() const { return recordsCommand; }
    QPushButton* addButton() const { return addCommand; }
    QPushButton* renameButton() const { return renameCommand; }
    QPushButton* removeButton() const { return removeCommand; }
    QPushButton* csvButton() const { return csvCommand; }
    // The child of the chosen row; -1 with none.
    int chosenRow() const;
    void chooseRow(int row);

public Q_SLOTS:
    // Reads the roster and the weak facts again.
    void reload();
    void setKind(Kind kind);
    // The chosen child's records window; null when no child is chosen.
    RecordsWindow* openRecords();
    void addChild();
    void renameChild();
    // Asks twice, naming the child and their sheets.
    void removeChild();
    void exportCsv();

private:
    void buildControls();
    void fillTable();
    void readFacts();
    // Tells the teacher why the server did not answer.
    void tellProblem(const QString& what);
    // Asks for a name until the server takes it or the teacher cancels;
    // `keep` sends it.
    template <typename Keep>
    bool askName(const QString& title, const QString& name, qint64 except, Keep keep);

    ClassRecords& records;
    Desktop& desk;
    Kind shownKind = Kind::Addition;
    QList<ClassChild> roster;

    QButtonGroup* kinds = nullptr;
    QStackedWidget* rosterPart = nullptr;
    QTableWidget* table = nullptr;
    QLabel* rosterUnreadable = nullptr;
    QStackedWidget* factsPart = nullptr;
    FactMap* facts = nullptr;
    QLabel* factsUnreadable = nullptr;
    QLabel* slowest = nullptr;
    QPushButton* recordsCommand = nullptr;
    QPushButton* addCommand = nullptr;
    QPushButton* renameCommand = nullptr;
    QPushButton* removeCommand = nullptr;
    QPushButton* csvCommand = nullptr;
};
