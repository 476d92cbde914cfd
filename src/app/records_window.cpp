// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/records_window.h"

#include "app/desktop.h"
#include "app/records_text.h"
#include "app/records_widgets.h"
#include "printing/fonts.h"
#include "scores/time_text.h"
#include "scores/verdict.h"
#include "settings/settings_file.h"

#include <QAbstractTableModel>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableView>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>

using namespace Qt::StringLiterals;

// Every stored sheet, newest first, as the table shows it. The texts are made
// when a row is drawn, so that twenty thousand sheets cost no more than the
// rows on screen.
class SheetTableModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setSheets(QList<StoredSheet> sheets)
    {
        beginResetModel();
        kept = std::move(sheets);
        endResetModel();
    }
    const QList<StoredSheet>& sheets() const { return kept; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(kept.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : 4;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= kept.size())
            return {};
        const StoredSheet& sheet = kept[index.row()];
        if (role == Qt::TextAlignmentRole) {
            return index.column() >= 2 ? int(Qt::AlignRight | Qt::AlignVCenter)
                                       : int(Qt::AlignLeft | Qt::AlignVCenter);
        }
        if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
            return {};
        switch (index.column()) {
        case 0:
            return sheetDateText(sheet.finishedAt);
        case 1:
            return kindName(kindNumber(sheet.kind));
        case 2:
            return minutesText(sheet.seconds);
        default:
            return QString::number(sheet.wrongDigits);
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char16_t* const titles[] = {u"ひづけ", u"しゅるい", u"タイム", u"まちがい"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
            return QString::fromUtf16(titles[section]);
        return {};
    }

private:
    QList<StoredSheet> kept;
};

namespace {

// A best time of ten minutes is one never set or cleared.

// Where a moment falls on the graph's time axis: the day and hour the sheet
// was kept with, read as local time, so that a sheet stays on its own day
// whatever zone the computer is in now. Counted in whole days from one local
// midnight: a local-time conversion per point asks the system for its time
// zone each time, which for ten years of sheets costs more than the drawing
// (a clock change between them moves a point by an hour within its day).
class AxisTime
{
public:
    explicit AxisTime(const QDate& reference)
        : reference(reference)
        , midnight(QDateTime(reference, QTime(0, 0)).toMSecsSinceEpoch())
    { }

    qreal operator()(const QDate& day, const QTime& time) const
    {
        return qreal(
            midnight + reference.daysTo(day) * MillisecondsPerDay + time.msecsSinceStartOfDay());
    }

private:
    static constexpr qint64 MillisecondsPerDay = 24 * 60 * 60 * 1000;
    QDate reference;
    qint64 midnight;
};

QGroupBox* section(const QString& title, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    box->setFont(Fonts::gothic(10.5, true));
    box->setAccessibleName(title);
    return box;
}

} // namespace

RecordsWindow::RecordsWindow(RecordStore& store, Kind kind, Desktop& desktop, QWidget* parent)
    : QWidget(parent)
    , store(store)
    , desk(desktop)
    , shownKind(kind)
{
    setWindowFlag(Qt::Window);
    setWindowTitle(u"きろく"_s);
    setAccessibleName(u"きろく"_s);
    setFont(Fonts::gothic(10.5));
    buildControls();
    kindButton(shownKind)->setChecked(true);
    refresh();
}

RecordsWindow::~RecordsWindow() = default;

void RecordsWindow::buildControls()
{
    auto* layout = new QVBoxLayout(this);

    auto* kindRow = new QHBoxLayout;
    kinds = new QButtonGroup(this);
    for (Kind each : AllKinds) {
        auto* button = new QPushButton(kindName(kindNumber(each)), this);
        button->setCheckable(true);
        button->setFont(Fonts::gothic(12, true));
        button->setMinimumWidth(110);
        kinds->addButton(button, kindNumber(each));
        kindRow->addWidget(button);
    }
    kindRow->addStretch();
    connect(kinds, &QButtonGroup::idClicked, this, [this](int id) { setKind(kindFromNumber(id)); });
    layout->addLayout(kindRow);

    auto* body = new QGridLayout;
    layout->addLayout(body, 1);

    // The graph.
    QGroupBox* graphBox = section(u"タイムの グラフ"_s, this);
    auto* graphLayout = new QVBoxLayout(graphBox);
    const QFont small = Fonts::gothic(9);
    chart = new QChart;
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setFont(small);
    // A scatter series makes a graphics item of every point, which takes a
    // tenth of a second for the five thousand sheets of ten years; a line
    // series with its line off paints its points in one go.
    dots = new QLineSeries(chart);
    dots->setName(u"まいかい"_s);
    dots->setPen(QPen(QColor(80, 120, 220), 1, Qt::NoPen));
    dots->setPointsVisible(true);
    dots->setMarkerSize(3.5); // the radius of each point
    dayBest = new QLineSeries(chart);
    dayBest->setName(u"その ひの いちばん"_s);
    dayBest->setPen(QPen(QColor(0, 0, 160), 2));
    bestLine = new QLineSeries(chart);
    bestLine->setName(u"ハイスコア"_s);
    // The colour of the best-time line in the main window.
    bestLine->setPen(QPen(QColor(255, 0, 255), 2, Qt::DashLine));
    dayAxis = new QDateTimeAxis(chart);
    dayAxis->setLabelsFont(small);
    secondsAxis = new QValueAxis(chart);
    secondsAxis->setLabelFormat(u"%d"_s);
    secondsAxis->setLabelsFont(small);
    secondsAxis->setTitleText(u"タイム（秒）"_s);
    secondsAxis->setTitleFont(small);
    chart->addAxis(dayAxis, Qt::AlignBottom);
    chart->addAxis(secondsAxis, Qt::AlignLeft);
    for (QLineSeries* series : {dots, dayBest, bestLine}) {
        chart->addSeries(series);
        series->attachAxis(dayAxis);
        series->attachAxis(secondsAxis);
    }
    chartView = new QChartView(chart, graphBox);
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumSize(560, 250);
    chartView->setAccessibleName(u"タイムの グラフ"_s);
    graphLayout->addWidget(chartView, 1);

    auto* rangeRow = new QHBoxLayout;
    lastDays = new QRadioButton(u"30にち"_s, graphBox);
    allDays = new QRadioButton(u"ぜんぶ"_s, graphBox);
    lastDays->setChecked(true);
    for (QRadioButton* button : {lastDays, allDays}) {
        button->setFont(font());
        rangeRow->addWidget(button);
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                refreshGraph();
        });
    }
    rangeRow->addSpacing(16);
    summary = new QLabel(graphBox);
    summary->setFont(font());
    rangeRow->addWidget(summary, 1);
    graphLayout->addLayout(rangeRow);
    body->addWidget(graphBox, 0, 0);

    // The calendar.
    QGroupBox* calendarBox = section(u"れんしゅうした ひ"_s, this);
    auto* calendarLayout = new QVBoxLayout(calendarBox);
    practice = new PracticeCalendar(calendarBox);
    practice->setAccessibleName(u"れんしゅうした ひ"_s);
    calendarLayout->addWidget(practice);
    calendarLayout->addStretch();
    body->addWidget(calendarBox, 0, 1);

    // The weak facts.
    QGroupBox* factsBox = section(u"にがてな もんだい"_s, this);
    auto* factsLayout = new QVBoxLayout(factsBox);
    auto* mapRow = new QHBoxLayout;
    facts = new FactMap(factsBox);
    facts->setFont(font());
    facts->setAccessibleName(u"にがてな もんだい"_s);
    mapRow->addWidget(facts);
    auto* legend = new QLabel(
        u"さいごの 10かい\n\nいろが こいほど\nじかんが かかった\n\nあかい まるは\nまちがえた"_s,
        factsBox);
    legend->setFont(small);
    legend->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    mapRow->addSpacing(8);
    mapRow->addWidget(legend, 1);
    factsLayout->addLayout(mapRow);
    slowest = new QLabel(factsBox);
    slowest->setFont(font());
    slowest->setWordWrap(true);
    factsLayout->addWidget(slowest);
    body->addWidget(factsBox, 1, 0);

    // The table.
    QGroupBox* tableBox = section(u"これまでの きろく"_s, this);
    auto* tableLayout = new QVBoxLayout(tableBox);
    sheetModel = new SheetTableModel(this);
    sheetTable = new QTableView(tableBox);
    sheetTable->setFont(font());
    sheetTable->setModel(sheetModel);
    sheetTable->setAccessibleName(u"これまでの きろく"_s);
    sheetTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sheetTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    sheetTable->setWordWrap(false);
    // Tab moves on to the next part of the window, not from cell to cell.
    sheetTable->setTabKeyNavigation(false);
    sheetTable->setAlternatingRowColors(true);
    sheetTable->verticalHeader()->hide();
    sheetTable->verticalHeader()->setDefaultSectionSize(sheetTable->fontMetrics().height() + 6);
    sheetTable->horizontalHeader()->setFont(font());
    sheetTable->horizontalHeader()->setStretchLastSection(true);
    // Widths from the widest texts, never from the rows: measuring twenty
    // thousand rows would cost more than the whole window.
    const QFontMetrics metrics(font());
    sheetTable->setColumnWidth(0, metrics.horizontalAdvance(u"2026年12月30日(水) 23:59"_s) + 16);
    sheetTable->setColumnWidth(1, metrics.horizontalAdvance(u"しゅるい"_s) + 24);
    sheetTable->setColumnWidth(2, metrics.horizontalAdvance(u"10分00秒"_s) + 16);
    sheetTable->setColumnWidth(3, metrics.horizontalAdvance(u"まちがい"_s) + 24);
    sheetTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int tableWidth
        = 2 * sheetTable->frameWidth() + sheetTable->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < 4; ++column)
        tableWidth += sheetTable->columnWidth(column);
    sheetTable->setMinimumWidth(tableWidth);
    tableLayout->addWidget(sheetTable);
    body->addWidget(tableBox, 1, 1);
    body->setRowStretch(0, 3);
    body->setRowStretch(1, 2);
    body->setColumnStretch(0, 3);
    body->setColumnStretch(1, 2);

    auto* commandRow = new QHBoxLayout;
    commandRow->addStretch();
    csvCommand = new QPushButton(u"CSV にかきだす"_s, this);
    clearCommand = new QPushButton(u"きろくを けす"_s, this);
    for (QPushButton* button : {csvCommand, clearCommand}) {
        button->setFont(Fonts::gothic(10.5, true));
        button->setAutoDefault(false);
        commandRow->addWidget(button);
    }
    connect(csvCommand, &QPushButton::clicked, this, &RecordsWindow::exportCsv);
    connect(clearCommand, &QPushButton::clicked, this, &RecordsWindow::clearRecords);
    layout->addLayout(commandRow);
}

QAbstractButton* RecordsWindow::kindButton(Kind kind) const
{
    return kinds->button(kindNumber(kind));
}

bool RecordsWindow::showsAllDays() const
{
    return allDays->isChecked();
}

void RecordsWindow::setShowsAllDays(bool all)
{
    (all ? allDays : lastDays)->setChecked(true);
}

void RecordsWindow::setBestTimes(const std::array<int, 4>& seconds)
{
    bestTimes = seconds;
    refreshGraph();
}

void RecordsWindow::setKind(Kind kind)
{
    shownKind = kind;
    kindButton(kind)->setChecked(true);
    refreshKind();
}

QDate RecordsWindow::today() const
{
    return desk.now().date();
}

void RecordsWindow::refresh()
{
    sheetModel->setSheets(store.sheets());
    clearCommand->setEnabled(sheetModel->rowCount() > 0);
    const QDate day = today();
    practice->setDays(day, store.practiceDays(calendarStart(day), day));
    refreshKind();
}

void RecordsWindow::refreshKind()
{
    refreshGraph();
    const QList<FactStat> met = store.facts(shownKind, 10);
    facts->setFacts(shownKind, met);
    slowest->setText(slowestSentence(shownKind, met));
    slowest->setAccessibleName(slowest->text());
}

void RecordsWindow::refreshGraph()
{
    const QDate day = today();
    const AxisTime axisTime(day);
    const bool all = allDays->isChecked();
    const QDate from = all ? QDate() : day.addDays(-29);

    // The store compares instants; a day more is asked for, and the sheets
    // are then taken by the day they were kept on, as the daily bests are.
    const QList<StoredSheet> kept
        = store.sheets(shownKind, all ? QDateTime() : QDateTime(from.addDays(-1), QTime(0, 0)));
    QList<QPointF> sheetPoints;
    sheetPoints.reserve(kept.size());
    int slowestSeconds = 0;
    for (const StoredSheet& sheet : kept) {
        if (from.isValid() && sheet.finishedAt.date() < from)
            continue;
        sheetPoints.append(
            {axisTime(sheet.finishedAt.date(), sheet.finishedAt.time()), qreal(sheet.seconds)});
        slowestSeconds = std::max(slowestSeconds, sheet.seconds);
    }
    const QList<DayBest> bests = store.dailyBest(shownKind, from);
    QList<QPointF> bestPoints;
    bestPoints.reserve(bests.size());
    for (const DayBest& best : bests)
        bestPoints.append({axisTime(best.day, QTime(12, 0)), qreal(best.seconds)});

    // At least the last 30 days, so that a few days do not fill the width.
    QDate first = day.addDays(-29);
    if (all && !bests.isEmpty())
        first = std::min(first, bests.first().day);
    const qreal start = axisTime(first, QTime(0, 0));
    const qreal end = axisTime(day.addDays(1), QTime(0, 0));
    const bool years = first.daysTo(day) > 180;

    const int best = bestTimes[kindNumber(shownKind)];
    const bool hasBest = best < Settings::DefaultSeconds;
    // Whole steps a child can read: 10, 20 or 30 seconds, whole minutes.
    const int highest = std::max({hasBest ? best : 0, slowestSeconds, 50});
    int step = 0;
    for (int each : {10, 20, 30, 60, 120, 300, 600, 1200, 3000, 6000}) {
        step = each;
        if (highest + highest / 10 <= step * 6)
            break;
    }
    const int top = (highest + highest / 10 + step - 1) / step * step;

    // Every change of an axis places every point again: the points go last,
    // onto axes already set.
    dots->clear();
    dayBest->clear();
    dayAxis->setFormat(years ? u"yyyy/M"_s : u"M/d"_s);
    dayAxis->setTickCount(years ? 7 : 6);
    dayAxis->setRange(
        QDateTime::fromMSecsSinceEpoch(qint64(start)), QDateTime::fromMSecsSinceEpoch(qint64(end)));
    secondsAxis->setRange(0, top);
    secondsAxis->setTickCount(top / step + 1);
    dots->replace(sheetPoints);
    dayBest->replace(bestPoints);
    bestLine->replace(
        hasBest ? QList<QPointF>{{start, qreal(best)}, {end, qreal(best)}} : QList<QPointF>{});
    bestLine->setVisible(hasBest);

    const QList<StoredSheet>& stored = sheetModel->sheets();
    const auto newest = std::find_if(stored.begin(), stored.end(),
        [this](const StoredSheet& sheet) { return sheet.kind == shownKind; });
    const QString text = graphSummary(
        newest == stored.end() ? nullptr : &*newest, best, int(sheetPoints.size()), all);
    summary->setText(text);
    summary->setAccessibleName(text);
    chartView->setAccessibleDescription(text);
}

void RecordsWindow::exportCsv()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested
        = QDir(folder).filePath(u"きろく-"_s + today().toString(u"yyyy-MM-dd"_s) + u".csv"_s);
    const QString path = desk.saveFileName(this, u"CSV にかきだす"_s, suggested, u"CSV (*.csv)"_s);
    if (path.isEmpty())
        return;

    // An empty text means the store could not be read: writing it would
    // leave an empty file that looks like a successful export.
    const QByteArray csv = store.csv();
    QSaveFile file(path);
    const bool written = !csv.isEmpty() && file.open(QIODevice::WriteOnly)
        && file.write(csv) == csv.size() && file.commit();
    if (!written) {
        ask(desk, this, u"CSV を かきだせませんでした。\r\n"_s + QDir::toNativeSeparators(path),
            u"きろく"_s, Desktop::Buttons::Ok, Desktop::Icon::Warning);
    }
}

void RecordsWindow::clearRecords()
{
    const QString list = sheetCountList(store.sheets());
    if (ask(desk, this,
            u"きろくを ぜんぶ けします。ハイスコアは のこります。\r\n\r\n"_s + list + u"\r\n\r\n"_s,
            u"きろく"_s, Desktop::Buttons::YesNoCancel)
        != Desktop::Answer::Yes)
        return;
    if (ask(desk, this, u"ほんとうに、けして いいですか？\r\n\r\n"_s + list + u"\r\n\r\n"_s,
            u"もういちどかくにん"_s, Desktop::Buttons::YesNo)
        != Desktop::Answer::Yes)
        return;
    if (!store.clear()) {
        ask(desk, this, u"きろくを けせませんでした。"_s, u"きろく"_s, Desktop::Buttons::Ok,
            Desktop::Icon::Warning);
    }
    refresh();
}

RecordsView* varolinMakeRecordsView(
    RecordStore& store, Kind kind, Desktop& desktop, QWidget* parent)
{
    return new RecordsWindow(store, kind, desktop, parent);
}
