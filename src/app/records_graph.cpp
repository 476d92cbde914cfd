// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/records_graph.h"

#include "app/records_text.h"
#include "printing/fonts.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QEvent>
#include <QLabel>
#include <QRadioButton>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Where a moment falls on the graph's day axis, in days from today's
// midnight: the day and hour the sheet was kept with, read as local time, so
// that a sheet stays on its own day whatever zone the computer is in now
// (and no time-zone lookup is paid per point).
class AxisDays
{
public:
    explicit AxisDays(const QDate& today)
        : today(today)
    { }

    qreal operator()(const QDate& day, const QTime& time = QTime(0, 0)) const
    {
        return qreal(today.daysTo(day)) + time.msecsSinceStartOfDay() / MillisecondsPerDay;
    }

private:
    static constexpr qreal MillisecondsPerDay = 24 * 60 * 60 * 1000;
    QDate today;
};

// The days labelled on the day axis from `first` to `today`, oldest first:
// the same weekday as today a week apart over a short span (today always
// among them), the first of every few months over a long one.
QList<QDate> labelledDays(const QDate& first, const QDate& today)
{
    QList<QDate> labelled;
    const qint64 span = first.daysTo(today) + 1;
    if (span <= 62) {
        for (QDate day = today; day >= first; day = day.addDays(-7))
            labelled.prepend(day);
        return labelled;
    }
    const int spanMonths = int(span / 30) + 1;
    int step = 1;
    for (int each : {1, 2, 3, 6, 12, 24, 60}) {
        step = each;
        if (spanMonths / step <= 6)
            break;
    }
    // Month starts on a multiple of the step, so that the labels read
    // 2024/1, 2024/7, 2025/1 rather than wherever the first sheet fell.
    int month = (first.year() * 12 + first.month() - 1 + step - 1) / step * step;
    for (QDate day(month / 12, month % 12 + 1, 1); day <= today;
         month += step, day = QDate(month / 12, month % 12 + 1, 1))
        labelled.append(day);
    return labelled;
}

} // namespace

GraphPart::GraphPart(const RecordReader& store, std::function<QDate()> today, QWidget* parent)
    : RecordsPart(u"graphPart"_s, u"タイムの グラフ"_s, parent)
    , store(store)
    , today(std::move(today))
{
    const QFont plain = Fonts::gothic(10.5);
    auto* graphPart = new QWidget;
    auto* graphLayout = new QVBoxLayout(graphPart);
    graphLayout->setContentsMargins(0, 0, 0, 0);
    chart = new QChart;
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->legend()->setAlignment(Qt::AlignBottom);
    // A scatter series makes a graphics item of every point, which takes a
    // tenth of a second for the five thousand sheets of ten years; a line
    // series with its line off paints its points in one go.
    dots = new QLineSeries(chart);
    dots->setObjectName(u"sheetDots"_s);
    dots->setName(u"まいかい"_s);
    dayBest = new QLineSeries(chart);
    dayBest->setObjectName(u"dayBests"_s);
    dayBest->setName(u"その ひの いちばん"_s);
    bestLine = new QLineSeries(chart);
    bestLine->setObjectName(u"bestTime"_s);
    bestLine->setName(u"ハイスコア"_s);
    knownLine = new QLineSeries(chart);
    knownLine->setObjectName(u"knownByWeek"_s);
    knownLine->setName(u"おぼえた もんだい"_s);
    days = new QCategoryAxis(chart);
    days->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    secondsAxis = new QValueAxis(chart);
    secondsAxis->setLabelFormat(u"%d"_s);
    secondsAxis->setTitleText(u"タイム（秒）"_s);
    chart->addAxis(days, Qt::AlignBottom);
    chart->addAxis(secondsAxis, Qt::AlignLeft);
    for (QLineSeries* series : {dots, dayBest, bestLine, knownLine}) {
        chart->addSeries(series);
        series->attachAxis(days);
        series->attachAxis(secondsAxis);
    }
    chartView = new QChartView(chart, graphPart);
    chartView->setObjectName(u"graph"_s);
    chartView->setRenderHint(QPainter::Antialiasing);
    // Tall enough for four steps of the seconds axis below the legend and
    // the day axis.
    chartView->setMinimumSize(400, 190);
    // The number of steps follows the room the plot gets.
    connect(chart, &QChart::plotAreaChanged, this, [this] {
        if (data && stepsThatFit() != steps)
            draw();
    });
    chartView->setAccessibleName(u"タイムの グラフ"_s);
    empty = emptyNote(u"graphEmpty"_s, chartView);
    graphLayout->addWidget(chartView, 1);

    auto* rangeRow = new QHBoxLayout;
    lastDays = new QRadioButton(u"30にち"_s, graphPart);
    lastDays->setObjectName(u"lastDays"_s);
    allDays = new QRadioButton(u"ぜんぶ"_s, graphPart);
    allDays->setObjectName(u"allDays"_s);
    lastDays->setChecked(true);
    for (QRadioButton* button : {lastDays, allDays}) {
        button->setFont(plain);
        rangeRow->addWidget(button);
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                readAgain();
        });
    }
    // What the graph shows: the times, or the facts known week by week.
    auto* shown = new QButtonGroup(graphPart);
    auto* times = new QRadioButton(u"タイム"_s, graphPart);
    times->setObjectName(u"times"_s);
    knownWeeks = new QRadioButton(u"おぼえた かず"_s, graphPart);
    knownWeeks->setObjectName(u"knownWeeks"_s);
    times->setChecked(true);
    rangeRow->addStretch();
    for (QRadioButton* button : {times, knownWeeks}) {
        button->setFont(plain);
        shown->addButton(button);
        rangeRow->addWidget(button);
    }
    connect(knownWeeks, &QRadioButton::toggled, this, [this] { readAgain(); });
    graphLayout->addLayout(rangeRow);
    summary = new QLabel(graphPart);
    summary->setObjectName(u"graphSummary"_s);
    summary->setFont(plain);
    summary->setWordWrap(true);
    graphLayout->addWidget(summary);
    setContents(graphPart);
    applyPalette();
}

void GraphPart::read(qint64 child, Kind kind, std::optional<int> best)
{
    this->child = child;
    this->kind = kind;
    this->best = best;
    readAgain();
}

void GraphPart::setBest(std::optional<int> best)
{
    this->best = best;
    draw();
}

void GraphPart::readAgain()
{
    const QDate day = today();
    const AxisDays axisDays(day);
    const bool all = allDays->isChecked();
    const QDate from = all ? QDate() : day.addDays(-29);

    // The store compares instants; a day more is asked for, and the sheets
    // are then taken by the day they were kept on, as the daily bests are.
    SheetRange range = SheetRange().ofChild(child).ofKind(kind);
    if (!all)
        range.from(QDateTime(from.addDays(-1), QTime(0, 0)));
    const auto kept = store.sheets(range);
    const auto bests = store.dailyBest(child, kind, from);
    const auto newest = store.sheets(SheetRange().ofChild(child).ofKind(kind).atMost(1));
    if (!kept || !bests || !newest) {
        data.reset();
        showReadable(false);
        return;
    }
    GraphData read;
    read.sheets.reserve(kept->size());
    for (const StoredSheet& sheet : *kept) {
        if (from.isValid() && sheet.finishedAt.date() < from)
            continue;
        read.sheets.append(
            {axisDays(sheet.finishedAt.date(), sheet.finishedAt.time()), qreal(sheet.seconds)});
        read.slowestSeconds = std::max(read.slowestSeconds, sheet.seconds);
    }
    read.dayBests.reserve(bests->size());
    // Each day's best in the middle of its day, under the day's label.
    for (const DayBest& best : *bests)
        read.dayBests.append({axisDays(best.day, QTime(12, 0)), qreal(best.seconds)});
    read.newest = newest->value(0);
    if (newest->isEmpty())
        read.newest.reset();
    // At least the last 30 days, so that a few days do not fill the width.
    read.first = day.addDays(-29);
    if (all && !bests->isEmpty())
        read.first = std::min(read.first, bests->first().day);
    if (knownWeeks->isChecked() && !readKnown(read, read.first)) {
        data.reset();
        showReadable(false);
        return;
    }
    data = std::move(read);
    showReadable(true);
    draw();
}

bool GraphPart::readKnown(GraphData& read, const QDate& first) const
{
    const QDate day = today();
    const AxisDays axisDays(day);
    const QDate monday = first.addDays(1 - first.dayOfWeek());
    const int weeks = int(monday.daysTo(day) / 7) + 1;
    const auto counts = store.knownByWeek(child, kind, monday, weeks);
    if (!counts)
        return false;
    read.outOf = factGrid(kind).count();
    // Each week's count at its end; this week's, so far, at today's.
    const qreal end = axisDays(day.addDays(1));
    for (const WeekKnown& week : *counts)
        read.known.append({std::min(axisDays(week.monday.addDays(7)), end), qreal(week.known)});
    return true;
}

void GraphPart::draw()
{
    if (!data)
        return;
    const QDate day = today();
    const AxisDays axisDays(day);
    // From the first day's morning to the end of today.
    const qreal start = axisDays(data->first);
    const qreal end = axisDays(day.addDays(1));
    const bool long_ = data->first.daysTo(day) > 62;
    const bool years = data->first.daysTo(day) > 365;

    // Whole steps a child can read: 10, 20 or 30 seconds, whole minutes;
    // no more of them than the graph's height has room for, since a label
    // that does not fit its step is drawn as 「…」.
    const int highest = std::max({best.value_or(0), data->slowestSeconds, 50});
    steps = stepsThatFit();
    int step = 0;
    for (int each : {10, 20, 30, 60, 120, 300, 600, 1200, 3000, 6000}) {
        step = each;
        if (highest + highest / 10 <= step * steps)
            break;
    }
    const int top = (highest + highest / 10 + step - 1) / step * step;

    // Every change of an axis places every point again: the points go last,
    // onto axes already set.
    dots->clear();
    dayBest->clear();
    knownLine->clear();
    for (const QString& label : days->categoriesLabels())
        days->remove(label);
    days->setStartValue(start);
    for (const QDate& labelled : labelledDays(data->first, day)) {
        // A week's label under the middle of its day; a month's at its start.
        const qreal at = long_ ? axisDays(labelled) : axisDays(labelled, QTime(12, 0));
        days->append(labelled.toString(years ? u"yyyy/M"_s : u"M/d"_s), at);
    }
    days->setRange(start, end);
    const bool known = knownWeeks->isChecked();
    for (QLineSeries* series : {dots, dayBest})
        series->setVisible(!known);
    knownLine->setVisible(known);
    if (known) {
        drawKnown();
        return;
    }
    secondsAxis->setTitleText(u"タイム（秒）"_s);
    secondsAxis->setRange(0, top);
    secondsAxis->setTickCount(top / step + 1);
    dots->replace(data->sheets);
    dayBest->replace(data->dayBests);
    bestLine->replace(
        best ? QList<QPointF>{{start, qreal(*best)}, {end, qreal(*best)}} : QList<QPointF>{});
    bestLine->setVisible(best.has_value());

    // A bare grid would say nothing: a kind not practised says so.
    empty->setVisible(!data->newest);
    const QString text = graphSummary(kind, data->newest ? &*data->newest : nullptr, best,
        int(data->sheets.size()), allDays->isChecked());
    summary->setText(keptWords(text));
    summary->setAccessibleName(text);
    chartView->setAccessibleDescription(text);
}

void GraphPart::drawKnown()
{
    bestLine->setVisible(false);
    // All of a kind's facts at the top: 100, or 90 over the 81 of × and ÷.
    const int top = data->outOf == 100 ? 100 : 90;
    const int step = steps >= 5 ? (top == 100 ? 20 : 30) : (top == 100 ? 50 : 45);
    secondsAxis->setTitleText(u"おぼえた かず"_s);
    secondsAxis->setRange(0, top);
    secondsAxis->setTickCount(top / step + 1);
    knownLine->replace(data->known);

    empty->setVisible(!data->newest);
    const int now = data->known.isEmpty() ? 0 : int(data->known.last().y());
    const int before = data->known.isEmpty() ? 0 : int(data->known.first().y());
    const QString text = knownSummary(kind, now, data->outOf, now - before, allDays->isChecked());
    summary->setText(keptWords(text));
    summary->setAccessibleName(text);
    chartView->setAccessibleDescription(text);
}

int GraphPart::stepsThatFit() const
{
    // A label needs its line and the axis' padding above and below it.
    const int labelHeight = QFontMetrics(secondsAxis->labelsFont()).height() + 8;
    const qreal height = chart->plotArea().height();
    // Not laid out yet: the most, until it is.
    if (height <= 0)
        return 6;
    return std::clamp(int(height / labelHeight), 2, 6);
}

void GraphPart::applyPalette()
{
    // The graph in the desktop's own light or dark colours.
    const QPalette colours = palette();
    const bool dark = colours.color(QPalette::Window).lightness() < 128;
    chart->setTheme(dark ? QChart::ChartThemeDark : QChart::ChartThemeLight);
    // The theme sets every colour and font; the window's own go on top.
    chart->setBackgroundBrush(colours.color(QPalette::Base));
    chart->setBackgroundRoundness(0);
    const QColor text = colours.color(QPalette::Text);
    const QColor grid = colours.color(QPalette::Mid);
    const QFont small = Fonts::gothic(9);
    chart->legend()->setFont(small);
    chart->legend()->setLabelColor(text);
    for (QAbstractAxis* axis :
        {static_cast<QAbstractAxis*>(days), static_cast<QAbstractAxis*>(secondsAxis)}) {
        axis->setLabelsFont(small);
        axis->setLabelsColor(text);
        axis->setTitleFont(small);
        axis->setTitleBrush(text);
        axis->setGridLineColor(grid);
        axis->setLinePenColor(grid);
    }
    dots->setPen(QPen(dark ? QColor(110, 160, 255) : QColor(80, 120, 220), 1, Qt::NoPen));
    dots->setPointsVisible(true);
    dots->setMarkerSize(3.5); // the radius of each point
    // Its points drawn as well, so a single day shows.
    dayBest->setPen(QPen(dark ? QColor(150, 200, 255) : QColor(0, 0, 160), 2));
    dayBest->setPointsVisible(true);
    dayBest->setMarkerSize(3);
    knownLine->setPen(QPen(dark ? QColor(120, 220, 120) : QColor(0, 130, 0), 2));
    knownLine->setPointsVisible(true);
    knownLine->setMarkerSize(3);
    // The colour of the best-time line in the main window.
    bestLine->setPen(QPen(QColor(255, 0, 255), 2, Qt::DashLine));
}

void GraphPart::changeEvent(QEvent* event)
{
    RecordsPart::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && chart)
        applyPalette();
}
