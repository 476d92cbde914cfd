// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/records_part.h"
#include "drill/kind.h"
#include "records/record_reader.h"

#include <QDate>
#include <QList>
#include <QPointF>

#include <functional>
#include <optional>

class QCategoryAxis;
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QRadioButton;
class QValueAxis;

// The graph of one child's times in one kind: every sheet a dot, each day's
// best a line, the best time a dashed line across, over the last 30 days or
// every day with a sheet, and one sentence that says it in words. The chart
// view is named "graph", its series "sheetDots", "dayBests" and "bestTime",
// the range buttons "lastDays" and "allDays", the sentence "graphSummary",
// the note over a kind with no sheet "graphEmpty". Instead of the times it
// shows, chosen with "knownWeeks" (and back with "times"), how many facts
// were known by heart at the end of each week: the series "knownByWeek".
class GraphPart : public RecordsPart
{
    Q_OBJECT

public:
    GraphPart(const RecordReader& store, std::function<QDate()> today, QWidget* parent);

    // Reads `child`'s sheets of `kind` and draws them with the best time
    // `best`, if there is one yet.
    void read(qint64 child, Kind kind, std::optional<int> best);
    // Draws again with another best time, without reading.
    void setBest(std::optional<int> best);

protected:
    void changeEvent(QEvent* event) override;

private:
    // What the graph shows of the store, read once per read() and drawn
    // again when only the best time changes.
    struct GraphData
    {
        QList<QPointF> sheets;
        QList<QPointF> dayBests;
        int slowestSeconds = 0;
        std::optional<StoredSheet> newest;
        QDate first;
        // The facts known at each week's end, with the kind's number of
        // facts; read only while they are shown.
        QList<QPointF> known;
        int outOf = 100;
    };

    void readAgain();
    // The weeks' counts into `read`; false when they could not be read.
    bool readKnown(GraphData& read, const QDate& first) const;
    void draw();
    void drawKnown();
    void applyPalette();
    // How many steps of the seconds axis have room for their labels.
    int stepsThatFit() const;

    const RecordReader& store;
    std::function<QDate()> today;
    qint64 child = 0;
    Kind kind = Kind::Addition;
    std::optional<int> best;
    int steps = 6;
    std::optional<GraphData> data;

    QChart* chart = nullptr;
    QChartView* chartView = nullptr;
    QLineSeries* dots = nullptr;
    QLineSeries* dayBest = nullptr;
    QLineSeries* bestLine = nullptr;
    QLineSeries* knownLine = nullptr;
    QCategoryAxis* days = nullptr;
    QValueAxis* secondsAxis = nullptr;
    QRadioButton* lastDays = nullptr;
    QRadioButton* allDays = nullptr;
    QRadioButton* knownWeeks = nullptr;
    QLabel* summary = nullptr;
    QLabel* empty = nullptr;
};
