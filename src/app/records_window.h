// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/records_view.h"
#include "drill/kind.h"
#include "records/record_reader.h"
#include "records/record_store.h"
#include "settings/settings_file.h"

#include <QList>
#include <QPointF>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class ChildrenCommands;
class Desktop;
class FactMap;
class Practice;
class PracticeCalendar;
class QAbstractButton;
class QButtonGroup;
class QCategoryAxis;
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QStackedWidget;
class QTableView;
class QValueAxis;
class SheetTableModel;

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

    Kind kind() const { return shownKind; }
    qint64 child() const { return shownChild; }
    // The best time of each kind in seconds, in kind order, of the child at
    // the board; 600 is none yet. Another child's are the practice's.
    void setBestTimes(const std::array<int, 4>& seconds) override;
    void setSheetsNotKept(int sheets) override;
    // The graph over every day with a sheet rather than the last 30 days.
    bool showsAllDays() const;
    void setShowsAllDays(bool all);

    // The parts, for tests.
    enum class Part { Graph, Calendar, Facts, Table };
    // Shown in place of the part when its records could not be read.
    QLabel* unreadableLabel(Part part) const;
    QChartView* graph() const { return chartView; }
    // Each sheet a dot: a series drawn as points only.
    QLineSeries* sheetDots() const { return dots; }
    QLineSeries* dayBestLine() const { return dayBest; }
    QLineSeries* bestTimeLine() const { return bestLine; }
    QCategoryAxis* dayAxis() const { return days; }
    QLabel* graphSummaryLabel() const { return summary; }
    PracticeCalendar* calendar() const { return practice; }
    FactMap* factMap() const { return facts; }
    QLabel* slowestLabel() const { return slowest; }
    QTableView* table() const { return sheetTable; }
    QLabel* notKeptLabel() const { return notKept; }
    QLabel* waitingLabel() const { return waiting; }
    QScrollArea* body() const { return scroll; }
    QAbstractButton* kindButton(Kind kind) const;
    QPushButton* csvButton() const { return csvCommand; }
    QPushButton* clearButton() const { return clearCommand; }
    // Whose records are shown; hidden while there is only one child.
    QComboBox* childSwitch() const { return children; }
    QPushButton* addChildButton() const { return addChildCommand; }
    QPushButton* renameChildButton() const { return renameChildCommand; }
    QPushButton* removeChildButton() const { return removeChildCommand; }

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
    // The server erased them, and they go from the window's copy too; or
    // it did not, and the teacher is told `why`.
    void erasedElsewhere(const std::optional<QString>& why);

protected:
    void changeEvent(QEvent* event) override;

private:
    // What the graph shows of the store, read once per refresh and drawn
    // again when only the best time changes.
    struct GraphData
    {
        QList<QPointF> sheets;
        QList<QPointF> dayBests;
        int slowestSeconds = 0;
        std::optional<StoredSheet> newest;
        QDate first;
    };

    void setUp(Kind kind);
    void buildControls();
    // The child switch and commands again, after the children changed.
    void rebuildChildren();
    // The shown child's name, or nothing while there is only one child:
    // what the questions name.
    QString shownName() const;
    const std::array<int, 4>& shownBests() const;
    void placeOnScreen();
    void applyPalette();
    // The parts that depend on the kind: graph and weak facts.
    void refreshKind();
    void refreshGraph();
    void drawGraph();
    void refreshTable();
    void showReadable(Part part, bool readable);
    void showWaiting();
    QDate today() const;

    // The practice at the board; null for a child of the class server, who
    // is `onlyChild`.
    Practice* practising = nullptr;
    std::optional<Child> onlyChild;
    std::unique_ptr<RecordReader> store;
    std::function<void()> eraseElsewhere;
    std::unique_ptr<ChildrenCommands> commands;
    Desktop& desk;
    Kind shownKind;
    qint64 shownChild = RecordStore::FirstChild;
    std::array<int, 4> bestTimes{Settings().bestTimes};
    std::optional<GraphData> graphData;

    QButtonGroup* kinds = nullptr;
    QWidget* childChoice = nullptr;
    QComboBox* children = nullptr;
    QPushButton* addChildCommand = nullptr;
    QPushButton* renameChildCommand = nullptr;
    QPushButton* removeChildCommand = nullptr;
    QLabel* notKept = nullptr;
    QLabel* waiting = nullptr;
    QScrollArea* scroll = nullptr;
    std::array<QStackedWidget*, 4> parts{};
    std::array<QLabel*, 4> unreadable{};
    QChart* chart = nullptr;
    QChartView* chartView = nullptr;
    QLineSeries* dots = nullptr;
    QLineSeries* dayBest = nullptr;
    QLineSeries* bestLine = nullptr;
    QCategoryAxis* days = nullptr;
    QValueAxis* secondsAxis = nullptr;
    QRadioButton* lastDays = nullptr;
    QRadioButton* allDays = nullptr;
    QLabel* summary = nullptr;
    PracticeCalendar* practice = nullptr;
    FactMap* facts = nullptr;
    QLabel* slowest = nullptr;
    QTableView* sheetTable = nullptr;
    SheetTableModel* sheetModel = nullptr;
    QPushButton* csvCommand = nullptr;
    QPushButton* clearCommand = nullptr;
};

// Makes the records window: the records module's plugin calls it, and
// tests that link the window itself hand it to setRecordsViewMaker.
RecordsView* varolinMakeRecordsView(
    Practice& practice, Kind kind, Desktop& desktop, QWidget* parent);
