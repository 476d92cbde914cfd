// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/records_view.h"
#include "drill/kind.h"
#include "records/record_reader.h"
#include "records/record_store.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class CalendarPart;
class Desktop;
class GraphPart;
class Practice;
class QButtonGroup;
class QLabel;
class QPushButton;
class QScrollArea;
class RecordsChildren;
class RecordsPart;
class SheetTablePart;
class WeakFacts;

// The records window 「きろく」: one child's records (a switch at the top
// chooses whose while there are several), and how the sheets of one kind went (a graph of
// the times, the weak facts), on which days there was practice, every sheet
// in a table, and the commands to write the records out as CSV or erase
// them. A separate, non-modal window; it reads the store each time it is
// refreshed and keeps nothing of its own. A part whose records cannot be
// read says so in its place. The class view opens the same window on one
// child's sheets on the class server.
class RecordsWindow : public QWidget, public RecordsView
{
    Q_OBJECT

public:
    // `practice` must have its records open; the window reads them there.
    RecordsWindow(Practice& practice, Kind kind, Desktop& desktop, QWidget* parent = nullptr);
    // `child`'s records read through `records` alone, with `child`'s best
    // times; no child switch and no children's commands.
    RecordsWindow(std::unique_ptr<RecordReader> records, const Child& child, Kind kind,
        Desktop& desktop, QWidget* parent = nullptr);
    ~RecordsWindow() override;

    QWidget* widget() override { return this; }
    void showKind(Kind kind) override { setKind(kind); }
    void showChild(qint64 child) override;

    // The best times of the child at the board. Another child's are the
    // practice's.
    void setBestTimes(const BestTimes& shown) override;
    void setSheetsNotKept(int sheets) override;
    void setPrintCommand(std::function<void()> print) override;

public Q_SLOTS:
    // Reads everything again from the store: call after a sheet was stored.
    void refresh() override;
    void setKind(Kind kind);
    // Writes the shown child's sheets (or, asked, every child's) as CSV
    // where the user chooses.
    void exportCsv();
    // Asks twice, then deletes every stored sheet of the shown child.
    void clearRecords();
    // A child of the class server: the sheets are erased there, by `erase`,
    // which asks the server and answers through erasedElsewhere(); the
    // clear command waits for it.
    void setEraseElsewhere(std::function<void()> erase);
    // The server erased them, and the copy the window reads forgot them;
    // or it did not, and the teacher is told `why`.
    void erasedElsewhere(const std::optional<QString>& why);

private:
    void setUp(Kind kind);
    void buildControls();
    // The child switch and commands again, after the children changed.
    void rebuildChildren();
    // The shown child's name, or nothing while there is only one child:
    // what the questions name.
    QString shownName() const;
    const BestTimes& shownBests() const;
    std::optional<int> shownBest() const;
    void placeOnScreen();
    // `wanted`, or the kind of `child`'s newest sheet when they have none
    // of it.
    Kind kindPractised(qint64 child, Kind wanted) const;
    // The shown child's name and the kind.
    void showTitle();
    // The parts that depend on the kind: graph and weak facts.
    void refreshKind();
    void refreshTable();
    void showWaiting();
    QDate today() const;

    // The practice at the board; null for a child of the class server, who
    // is `onlyChild`.
    Practice* practising = nullptr;
    std::optional<Child> onlyChild;
    std::unique_ptr<RecordReader> store;
    std::function<void()> eraseElsewhere;
    Desktop& desk;
    Kind shownKind;
    qint64 shownChild = RecordStore::FirstChild;
    BestTimes bestTimes;

    QButtonGroup* kinds = nullptr;
    // Null for a child of the class server.
    RecordsChildren* children = nullptr;
    QLabel* notKept = nullptr;
    QLabel* waiting = nullptr;
    QScrollArea* scroll = nullptr;
    GraphPart* graph = nullptr;
    CalendarPart* calendar = nullptr;
    RecordsPart* factsPart = nullptr;
    WeakFacts* facts = nullptr;
    SheetTablePart* table = nullptr;
    QPushButton* printCommand = nullptr;
    std::function<void()> print;
    QPushButton* csvCommand = nullptr;
    QPushButton* clearCommand = nullptr;
};

// Makes the records window: the records module's plugin calls it, and
// tests that link the window itself hand it to setRecordsViewMaker.
RecordsView* varolinMakeRecordsView(
    Practice& practice, Kind kind, Desktop& desktop, QWidget* parent);
