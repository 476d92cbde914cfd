// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/records_context.h"
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
// them. A separate, non-modal window; it reads its context's records each
// time it is refreshed and keeps nothing of its own, and what its commands
// change, the commands handed to it change. A part whose records cannot be
// read says so in its place. The main window opens it on this machine's
// children, the class view on one child's sheets on the class server.
class RecordsWindow : public QWidget, public RecordsView
{
    Q_OBJECT

public:
    // Opens on the child at the board of `context`, on `kind`.
    RecordsWindow(std::unique_ptr<const RecordsContext> context, Kind kind, Desktop& desktop,
        QWidget* parent = nullptr);
    ~RecordsWindow() override;

    QWidget* widget() override { return this; }
    void showKind(Kind kind) override { setKind(kind); }
    void showChild(qint64 child) override;

    // The best times of the child at the board. Another child's are the
    // context's.
    void setBestTimes(const BestTimes& shown) override;
    void setSheetsNotKept(int sheets) override;
    void setPrintCommand(std::function<void(const ReportOffer& report)> print) override;
    void setClearCommand(ClearCommand clear) override;
    void setChildrenCommands(ChildrenCommandSet commands) override;

public Q_SLOTS:
    // Reads everything again from the store: call after a sheet was stored.
    void refresh() override;
    void setKind(Kind kind);
    // Writes the shown child's sheets (or, asked, every child's) as CSV
    // where the user chooses.
    void exportCsv();
    // Asks twice, then has the clear command delete every stored sheet of
    // the shown child; the command waits for it.
    void clearRecords();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    // The child switch and commands again, after the children changed.
    void rebuildChildren();
    // The shown child's name, or nothing while there is only one child:
    // what the questions name.
    QString shownName() const;
    BestTimes shownBests() const;
    std::optional<int> shownBest() const;
    void placeOnScreen();
    // The shown child's name and the kind.
    void showTitle();
    // The parts that depend on the kind: graph and weak facts.
    void refreshKind();
    void refreshTable();
    void showWaiting();
    // Tells how clearing went, and shows what is left.
    void cleared(const QString& whose, const RecordsCleared& outcome);
    QDate today() const;
    // The shown child's monthly report, for the print dialog.
    ReportOffer reportOffer() const;

    std::unique_ptr<const RecordsContext> context;
    const RecordReader& store;
    Desktop& desk;
    Kind shownKind;
    qint64 shownChild = RecordStore::FirstChild;
    BestTimes bestTimes;
    bool placed = false;

    QButtonGroup* kinds = nullptr;
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
    std::function<void(const ReportOffer& report)> print;
    QPushButton* csvCommand = nullptr;
    QPushButton* clearCommand = nullptr;
    ClearCommand clear;
};

// Makes the records window: the records module's plugin calls it, and
// tests that link the window itself hand it to setRecordsViewMaker.
RecordsView* varolinMakeRecordsView(
    std::unique_ptr<const RecordsContext> context, Kind kind, Desktop& desktop, QWidget* parent);
