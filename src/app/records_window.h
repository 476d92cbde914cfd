// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/records_view.h"
#include "drill/kind.h"
#include "records/record_store.h"
#include "settings/settings_file.h"

#include <QWidget>

#include <array>

class Desktop;
class FactMap;
class PracticeCalendar;
class QAbstractButton;
class QButtonGroup;
class QChart;
class QChartView;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QRadioButton;
class QTableView;
class QValueAxis;
class SheetTableModel;

// The records window 「きろく」: how the sheets of one kind went (a graph of
// the times, the weak facts), on which days there was practice, every sheet
// in a table, and the commands to write the records out as CSV or erase
// them. A separate, non-modal window; it reads the store each time it is
// refreshed and keeps nothing of its own.
class RecordsWindow : public QWidget, public RecordsView
{
    Q_OBJECT

public:
    RecordsWindow(RecordStore& store, Kind kind, Desktop& desktop, QWidget* parent = nullptr);
    ~RecordsWindow() override;

    QWidget* widget() override { return this; }
    void showKind(Kind kind) override { setKind(kind); }

    Kind kind() const { return shownKind; }
    // The best time of each kind in seconds, in kind order; 600 is none yet.
    void setBestTimes(const std::array<int, 4>& seconds) override;
    // The graph over every day with a sheet rather than the last 30 days.
    bool showsAllDays() const;
    void setShowsAllDays(bool all);

    // The parts, for tests.
    QChartView* graph() const { return chartView; }
    // Each sheet a dot: a series drawn as points only.
    QLineSeries* sheetDots() const { return dots; }
    QLineSeries* dayBestLine() const { return dayBest; }
    QLineSeries* bestTimeLine() const { return bestLine; }
    QLabel* graphSummaryLabel() const { return summary; }
    PracticeCalendar* calendar() const { return practice; }
    FactMap* factMap() const { return facts; }
    QLabel* slowestLabel() const { return slowest; }
    QTableView* table() const { return sheetTable; }
    QAbstractButton* kindButton(Kind kind) const;
    QPushButton* csvButton() const { return csvCommand; }
    QPushButton* clearButton() const { return clearCommand; }

public Q_SLOTS:
    // Reads everything again from the store: call after a sheet was stored.
    void refresh() override;
    void setKind(Kind kind);
    // Asks where to, then writes every stored sheet as CSV there.
    void exportCsv();
    // Asks twice, then deletes every stored sheet.
    void clearRecords();

private:
    void buildControls();
    // The parts that depend on the kind: graph and weak facts.
    void refreshKind();
    void refreshGraph();
    QDate today() const;

    RecordStore& store;
    Desktop& desk;
    Kind shownKind;
    std::array<int, 4> bestTimes{Settings().bestTimes};

    QButtonGroup* kinds = nullptr;
    QChart* chart = nullptr;
    QChartView* chartView = nullptr;
    QLineSeries* dots = nullptr;
    QLineSeries* dayBest = nullptr;
    QLineSeries* bestLine = nullptr;
    QDateTimeAxis* dayAxis = nullptr;
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
    RecordStore& store, Kind kind, Desktop& desktop, QWidget* parent);
