// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/records_window.h"

#include "app/children_commands.h"
#include "app/desktop.h"
#include "app/records_text.h"
#include "app/records_widgets.h"
#include "practice/practice.h"
#include "printing/fonts.h"
#include "scores/time_text.h"
#include "scores/verdict.h"
#include "settings/settings_file.h"

#include <QAbstractTableModel>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStyle>
#include <QTableView>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <functional>
#include <numeric>

using namespace Qt::StringLiterals;

// Every stored sheet of one child, newest first, as the table shows it. Rows are read from
// the store a batch at a time as the table is scrolled down to them, so a
// refresh after a sheet reads one batch, not every sheet ever kept; their
// texts are made when a row is drawn.
class SheetTableModel : public QAbstractTableModel
{
public:
    SheetTableModel(RecordReader& store, QObject* parent)
        : QAbstractTableModel(parent)
        , store(store)
    { }

    // Called when a later batch cannot be read.
    std::function<void()> onUnreadable;
    // Whose sheets; set before a reload.
    qint64 child = RecordStore::FirstChild;

    // Starts again from the newest sheet; false when it cannot be read.
    bool reload()
    {
        beginResetModel();
        kept.clear();
        more = false;
        const auto batch = store.sheets(SheetRange().ofChild(child).atMost(BatchSize));
        if (batch) {
            kept = *batch;
            more = batch->size() == BatchSize;
        }
        endResetModel();
        return batch.has_value();
    }

    bool canFetchMore(const QModelIndex& parent) const override
    {
        return !parent.isValid() && more;
    }

    void fetchMore(const QModelIndex& parent) override
    {
        if (!canFetchMore(parent))
            return;
        const auto batch
            = store.sheets(SheetRange().ofChild(child).following(kept.last()).atMost(BatchSize));
        if (!batch) {
            more = false;
            if (onUnreadable)
                onUnreadable();
            return;
        }
        more = batch->size() == BatchSize;
        if (batch->isEmpty())
            return;
        beginInsertRows({}, int(kept.size()), int(kept.size() + batch->size() - 1));
        kept.append(*batch);
        endInsertRows();
    }

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
            return kindName(sheet.kind);
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
    // More than a tall screen shows, few enough to read in a millisecond.
    static constexpr int BatchSize = 200;

    RecordReader& store;
    QList<StoredSheet> kept;
    bool more = false;
};

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

QGroupBox* section(const QString& title, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    box->setFont(Fonts::gothic(10.5, true));
    box->setAccessibleName(title);
    return box;
}

} // namespace

RecordsWindow::RecordsWindow(Practice& practice, Kind kind, Desktop& desktop, QWidget* parent)
    : QWidget(parent)
    , practising(&practice)
    , store(localRecords(*practice.records()))
    , commands(std::make_unique<ChildrenCommands>(desktop, practice))
    , desk(desktop)
    , shownKind(kind)
    , shownChild(practice.child().id)
    , bestTimes(practice.bestTimes())
{
    setUp(kind);
    // Renamed, added or removed from the chooser as well as from here.
    connect(&practice, &Practice::childrenChanged, this, [this] {
        rebuildChildren();
        drawGraph();
    });
}

RecordsWindow::RecordsWindow(std::unique_ptr<RecordReader> records, const Child& child, Kind kind,
    Desktop& desktop, QWidget* parent)
    : QWidget(parent)
    , onlyChild(child)
    , store(std::move(records))
    , desk(desktop)
    , shownKind(kind)
    , shownChild(child.id)
    , bestTimes(child.bestTimes)
{
    setUp(kind);
}

void RecordsWindow::setUp(Kind kind)
{
    setWindowFlag(Qt::Window);
    setAccessibleName(u"きろく"_s);
    setFont(Fonts::gothic(10.5));
    buildControls();
    applyPalette();
    rebuildChildren();
    setKind(kind);
    refresh();
    placeOnScreen();
}

RecordsWindow::~RecordsWindow() = default;

void RecordsWindow::buildControls()
{
    auto* layout = new QVBoxLayout(this);

    // Whose records, and the commands for the children: a parent's place.
    auto* childRow = new QHBoxLayout;
    childChoice = new QWidget(this);
    auto* choiceLayout = new QHBoxLayout(childChoice);
    choiceLayout->setContentsMargins(0, 0, 0, 0);
    auto* nameLabel = new QLabel(u"なまえ"_s, childChoice);
    nameLabel->setFont(Fonts::gothic(10.5, true));
    children = new QComboBox(childChoice);
    children->setFont(Fonts::gothic(10.5, true));
    children->setAccessibleName(u"なまえ"_s);
    children->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    nameLabel->setBuddy(children);
    choiceLayout->addWidget(nameLabel);
    choiceLayout->addWidget(children);
    childRow->addWidget(childChoice);
    connect(children, &QComboBox::activated, this,
        [this](int index) { showChild(children->itemData(index).toLongLong()); });
    childRow->addStretch();
    addChildCommand = new QPushButton(u"こどもを ふやす"_s, this);
    renameChildCommand = new QPushButton(u"なまえを かえる"_s, this);
    removeChildCommand = new QPushButton(u"けす"_s, this);
    for (QPushButton* button : {addChildCommand, renameChildCommand, removeChildCommand}) {
        button->setFont(Fonts::gothic(10.5));
        button->setAutoDefault(false);
        childRow->addWidget(button);
    }
    // Each command rebuilds the switch through childrenChanged.
    connect(addChildCommand, &QPushButton::clicked, this, [this] { commands->add(this); });
    connect(renameChildCommand, &QPushButton::clicked, this,
        [this] { commands->rename(this, shownChild); });
    connect(removeChildCommand, &QPushButton::clicked, this,
        [this] { commands->remove(this, shownChild); });
    // A class's roster is the teacher's, kept on the server.
    const bool inClass = practising && practising->inClass();
    addChildCommand->setVisible(!inClass);
    renameChildCommand->setVisible(!inClass);
    layout->addLayout(childRow);

    // The kinds on the left, the commands on the right: one row that stays
    // in sight however the parts below are scrolled.
    auto* topRow = new QHBoxLayout;
    kinds = addKindButtons(this, topRow, 100);
    connect(kinds, &QButtonGroup::idClicked, this, [this](int id) { setKind(kindFromNumber(id)); });
    topRow->addStretch();
    csvCommand = new QPushButton(u"CSV にかきだす"_s, this);
    clearCommand = new QPushButton(u"きろくを けす"_s, this);
    for (QPushButton* button : {csvCommand, clearCommand}) {
        button->setFont(Fonts::gothic(10.5, true));
        button->setAutoDefault(false);
        topRow->addWidget(button);
    }
    connect(csvCommand, &QPushButton::clicked, this, &RecordsWindow::exportCsv);
    connect(clearCommand, &QPushButton::clicked, this, &RecordsWindow::clearRecords);
    layout->addLayout(topRow);

    notKept = new QLabel(this);
    notKept->setFont(Fonts::gothic(10.5, true));
    notKept->setWordWrap(true);
    notKept->hide();
    layout->addWidget(notKept);
    // With a class: how many sheets the server does not have yet.
    waiting = new QLabel(this);
    waiting->setObjectName(u"sheetsWaiting"_s);
    waiting->setFont(Fonts::gothic(10.5, true));
    waiting->setVisible(inClass);
    layout->addWidget(waiting);
    if (inClass) {
        connect(practising, &Practice::sheetsWaitingChanged, this, &RecordsWindow::showWaiting);
        showWaiting();
    }

    // The parts scroll when the window is smaller than they need, on a small
    // screen; on a large one they grow with the window.
    scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget(scroll);
    auto* bodyGrid = new QGridLayout(content);
    bodyGrid->setContentsMargins(0, 0, 0, 0);
    scroll->setWidget(content);
    layout->addWidget(scroll, 1);

    // Each part with the line that stands in for it when it cannot be read.
    const auto part = [this](Part which, QGroupBox* box, QWidget* shown) {
        auto* stack = new QStackedWidget(box);
        stack->addWidget(shown);
        auto* failure = new QLabel(unreadableText(), stack);
        failure->setAlignment(Qt::AlignCenter);
        failure->setWordWrap(true);
        failure->setAccessibleName(failure->text());
        stack->addWidget(failure);
        auto* boxLayout = new QVBoxLayout(box);
        boxLayout->addWidget(stack);
        parts[int(which)] = stack;
        unreadable[int(which)] = failure;
    };
    const QFont small = Fonts::gothic(9);

    // The graph.
    QGroupBox* graphBox = section(u"タイムの グラフ"_s, content);
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
    dots->setName(u"まいかい"_s);
    dayBest = new QLineSeries(chart);
    dayBest->setName(u"その ひの いちばん"_s);
    bestLine = new QLineSeries(chart);
    bestLine->setName(u"ハイスコア"_s);
    days = new QCategoryAxis(chart);
    days->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    secondsAxis = new QValueAxis(chart);
    secondsAxis->setLabelFormat(u"%d"_s);
    secondsAxis->setTitleText(u"タイム（秒）"_s);
    chart->addAxis(days, Qt::AlignBottom);
    chart->addAxis(secondsAxis, Qt::AlignLeft);
    for (QLineSeries* series : {dots, dayBest, bestLine}) {
        chart->addSeries(series);
        series->attachAxis(days);
        series->attachAxis(secondsAxis);
    }
    chartView = new QChartView(chart, graphPart);
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumSize(400, 190);
    chartView->setAccessibleName(u"タイムの グラフ"_s);
    graphLayout->addWidget(chartView, 1);

    auto* rangeRow = new QHBoxLayout;
    lastDays = new QRadioButton(u"30にち"_s, graphPart);
    allDays = new QRadioButton(u"ぜんぶ"_s, graphPart);
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
    summary = new QLabel(graphPart);
    summary->setFont(font());
    summary->setWordWrap(true);
    rangeRow->addWidget(summary, 1);
    graphLayout->addLayout(rangeRow);
    part(Part::Graph, graphBox, graphPart);
    bodyGrid->addWidget(graphBox, 0, 0);

    // The calendar.
    QGroupBox* calendarBox = section(u"れんしゅうした ひ"_s, content);
    auto* calendarPart = new QWidget;
    auto* calendarLayout = new QVBoxLayout(calendarPart);
    calendarLayout->setContentsMargins(0, 0, 0, 0);
    practice = new PracticeCalendar(calendarPart);
    practice->setAccessibleName(u"れんしゅうした ひ"_s);
    calendarLayout->addWidget(practice);
    calendarLayout->addStretch();
    part(Part::Calendar, calendarBox, calendarPart);
    bodyGrid->addWidget(calendarBox, 0, 1);

    // The weak facts.
    QGroupBox* factsBox = section(u"にがてな もんだい"_s, content);
    auto* factsPart = new QWidget;
    auto* factsLayout = new QVBoxLayout(factsPart);
    factsLayout->setContentsMargins(0, 0, 0, 0);
    auto* mapRow = new QHBoxLayout;
    facts = new FactMap(factsPart);
    facts->setFont(font());
    facts->setAccessibleName(u"にがてな もんだい"_s);
    mapRow->addWidget(facts);
    auto* legend = new QLabel(
        u"さいごの 10かい\n\nいろが こいほど\nじかんが かかった\n\nあかい まるは\nまちがえた"_s,
        factsPart);
    legend->setFont(small);
    legend->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    mapRow->addSpacing(8);
    mapRow->addWidget(legend, 1);
    factsLayout->addLayout(mapRow);
    slowest = new QLabel(factsPart);
    slowest->setFont(font());
    slowest->setWordWrap(true);
    factsLayout->addWidget(slowest);
    part(Part::Facts, factsBox, factsPart);
    bodyGrid->addWidget(factsBox, 1, 0);

    // The table.
    QGroupBox* tableBox = section(u"これまでの きろく"_s, content);
    sheetModel = new SheetTableModel(*store, this);
    sheetModel->onUnreadable = [this] { showReadable(Part::Table, false); };
    sheetTable = new QTableView;
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
    const std::array<int, 4> widths = {
        metrics.horizontalAdvance(u"2026年12月30日(水) 23:59"_s) + 16,
        metrics.horizontalAdvance(u"しゅるい"_s) + 24,
        metrics.horizontalAdvance(u"10分00秒"_s) + 16,
        metrics.horizontalAdvance(u"まちがい"_s) + 24,
    };
    // Taken from the widths set, not read back: the last column stretches
    // to whatever room the table has at the time.
    int tableWidth
        = 2 * sheetTable->frameWidth() + sheetTable->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < 4; ++column) {
        sheetTable->setColumnWidth(column, widths[column]);
        tableWidth += widths[column];
    }
    sheetTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sheetTable->setMinimumWidth(tableWidth);
    sheetTable->setMinimumHeight(6 * sheetTable->verticalHeader()->defaultSectionSize());
    part(Part::Table, tableBox, sheetTable);
    bodyGrid->addWidget(tableBox, 1, 1);
    bodyGrid->setRowStretch(0, 3);
    bodyGrid->setRowStretch(1, 2);
    bodyGrid->setColumnStretch(0, 3);
    bodyGrid->setColumnStretch(1, 2);
}

void RecordsWindow::placeOnScreen()
{
    // The screen of the window it was opened from.
    QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    // Room for a title bar and borders, which are not known before the
    // window is shown.
    const QSize frame(16, 40);
    const QSize room = available.size() - frame;
    // The parts' smallest size with the window's rows and margins around
    // them, and room for the line of sheets not kept: the size at which
    // nothing needs scrolling.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QMargins margins = layout()->contentsMargins();
    const QSize whole = scroll->widget()->minimumSizeHint()
        + QSize(margins.left() + margins.right() + scrollBar,
            minimumSizeHint().height() - scroll->minimumSizeHint().height() + layout()->spacing()
                + notKept->fontMetrics().height());
    // Three quarters of a large screen, and enough for the parts; all of a
    // small one, where the parts scroll.
    const QSize wanted = whole.expandedTo(available.size() * 3 / 4)
                             .boundedTo(room)
                             .expandedTo(minimumSizeHint().boundedTo(room));
    resize(wanted);
    move(available.topLeft()
        + QPoint((room.width() - wanted.width()) / 2, (room.height() - wanted.height()) / 2));
}

void RecordsWindow::applyPalette()
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
    // The colour of the best-time line in the main window.
    bestLine->setPen(QPen(QColor(255, 0, 255), 2, Qt::DashLine));
}

void RecordsWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && chart)
        applyPalette();
}

QAbstractButton* RecordsWindow::kindButton(Kind kind) const
{
    return kinds->button(kindNumber(kind));
}

QLabel* RecordsWindow::unreadableLabel(Part part) const
{
    return unreadable[int(part)];
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
    // Told after every sheet, mostly unchanged: the graph is read once per
    // refresh and only drawn again for a new best time.
    if (seconds == bestTimes)
        return;
    bestTimes = seconds;
    if (practising && shownChild == practising->child().id)
        drawGraph();
}

const std::array<int, 4>& RecordsWindow::shownBests() const
{
    if (!practising || shownChild == practising->child().id)
        return bestTimes;
    for (const Child& each : practising->children()) {
        if (each.id == shownChild)
            return each.bestTimes;
    }
    return bestTimes;
}

QString RecordsWindow::shownName() const
{
    if (onlyChild)
        return onlyChild->name;
    if (!practising->hasSeveralChildren())
        return {};
    for (const Child& each : practising->children()) {
        if (each.id == shownChild)
            return each.name;
    }
    return {};
}

void RecordsWindow::rebuildChildren()
{
    if (!practising) {
        // The class view keeps the roster: one child here, and no commands.
        childChoice->hide();
        for (QPushButton* button : {addChildCommand, renameChildCommand, removeChildCommand})
            button->hide();
        return;
    }
    const QList<Child>& all = practising->children();
    // A child removed meanwhile: the one at the board instead.
    if (std::none_of(
            all.begin(), all.end(), [this](const Child& each) { return each.id == shownChild; })) {
        shownChild = practising->child().id;
        refresh();
    }
    const QSignalBlocker quiet(children);
    children->clear();
    for (const Child& each : all) {
        children->addItem(each.name, each.id);
        if (each.id == shownChild)
            children->setCurrentIndex(children->count() - 1);
    }
    childChoice->setVisible(all.size() > 1);
    removeChildCommand->setVisible(!practising->inClass() && shownChild != RecordStore::FirstChild
        && shownChild != practising->child().id);
}

void RecordsWindow::showChild(qint64 child)
{
    const bool changed = child != shownChild;
    shownChild = child;
    // Rebuilt even for the same child: the child at the board, whom the
    // removal is not offered for, may be another now.
    rebuildChildren();
    if (changed)
        refresh();
}

void RecordsWindow::setSheetsNotKept(int sheets)
{
    notKept->setText(notKeptText(sheets));
    notKept->setAccessibleName(notKept->text());
    notKept->setVisible(sheets > 0);
}

void RecordsWindow::showWaiting()
{
    waiting->setText(waitingText(practising->sheetsWaiting()));
    waiting->setAccessibleName(waiting->text());
}

void RecordsWindow::setKind(Kind kind)
{
    shownKind = kind;
    kindButton(kind)->setChecked(true);
    setWindowTitle(
        u"きろく － "_s + (onlyChild ? onlyChild->name + u" － "_s : QString()) + kindName(kind));
    refreshKind();
}

QDate RecordsWindow::today() const
{
    return desk.now().date();
}

void RecordsWindow::showReadable(Part part, bool readable)
{
    parts[int(part)]->setCurrentIndex(readable ? 0 : 1);
}

void RecordsWindow::refresh()
{
    refreshTable();
    const QDate day = today();
    const auto practised = store->practiceDays(shownChild, calendarStart(day), day);
    if (practised)
        practice->setDays(day, *practised);
    showReadable(Part::Calendar, practised.has_value());
    refreshKind();
}

void RecordsWindow::refreshTable()
{
    sheetModel->child = shownChild;
    const bool readable = sheetModel->reload();
    showReadable(Part::Table, readable);
    clearCommand->setEnabled(readable && sheetModel->rowCount() > 0);
}

void RecordsWindow::refreshKind()
{
    refreshGraph();
    const auto met = store->facts(shownChild, shownKind, 10);
    if (met) {
        facts->setFacts(shownKind, *met);
        slowest->setText(slowestSentence(shownKind, *met));
        slowest->setAccessibleName(slowest->text());
    }
    showReadable(Part::Facts, met.has_value());
}

void RecordsWindow::refreshGraph()
{
    const QDate day = today();
    const AxisDays axisDays(day);
    const bool all = allDays->isChecked();
    const QDate from = all ? QDate() : day.addDays(-29);

    // The store compares instants; a day more is asked for, and the sheets
    // are then taken by the day they were kept on, as the daily bests are.
    SheetRange range = SheetRange().ofChild(shownChild).ofKind(shownKind);
    if (!all)
        range.from(QDateTime(from.addDays(-1), QTime(0, 0)));
    const auto kept = store->sheets(range);
    const auto bests = store->dailyBest(shownChild, shownKind, from);
    const auto newest = store->sheets(SheetRange().ofChild(shownChild).ofKind(shownKind).atMost(1));
    if (!kept || !bests || !newest) {
        graphData.reset();
        showReadable(Part::Graph, false);
        return;
    }
    GraphData data;
    data.sheets.reserve(kept->size());
    for (const StoredSheet& sheet : *kept) {
        if (from.isValid() && sheet.finishedAt.date() < from)
            continue;
        data.sheets.append(
            {axisDays(sheet.finishedAt.date(), sheet.finishedAt.time()), qreal(sheet.seconds)});
        data.slowestSeconds = std::max(data.slowestSeconds, sheet.seconds);
    }
    data.dayBests.reserve(bests->size());
    // Each day's best in the middle of its day, under the day's label.
    for (const DayBest& best : *bests)
        data.dayBests.append({axisDays(best.day, QTime(12, 0)), qreal(best.seconds)});
    data.newest = newest->value(0);
    if (newest->isEmpty())
        data.newest.reset();
    // At least the last 30 days, so that a few days do not fill the width.
    data.first = day.addDays(-29);
    if (all && !bests->isEmpty())
        data.first = std::min(data.first, bests->first().day);
    graphData = std::move(data);
    showReadable(Part::Graph, true);
    drawGraph();
}

void RecordsWindow::drawGraph()
{
    if (!graphData)
        return;
    const GraphData& data = *graphData;
    const QDate day = today();
    const AxisDays axisDays(day);
    // From the first day's morning to the end of today.
    const qreal start = axisDays(data.first);
    const qreal end = axisDays(day.addDays(1));
    const bool long_ = data.first.daysTo(day) > 62;
    const bool years = data.first.daysTo(day) > 365;

    const int best = shownBests()[kindNumber(shownKind)];
    const bool hasBest = best < Settings::DefaultSeconds;
    // Whole steps a child can read: 10, 20 or 30 seconds, whole minutes.
    const int highest = std::max({hasBest ? best : 0, data.slowestSeconds, 50});
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
    for (const QString& label : days->categoriesLabels())
        days->remove(label);
    days->setStartValue(start);
    for (const QDate& labelled : labelledDays(data.first, day)) {
        // A week's label under the middle of its day; a month's at its start.
        const qreal at = long_ ? axisDays(labelled) : axisDays(labelled, QTime(12, 0));
        days->append(labelled.toString(years ? u"yyyy/M"_s : u"M/d"_s), at);
    }
    days->setRange(start, end);
    secondsAxis->setRange(0, top);
    secondsAxis->setTickCount(top / step + 1);
    dots->replace(data.sheets);
    dayBest->replace(data.dayBests);
    bestLine->replace(
        hasBest ? QList<QPointF>{{start, qreal(best)}, {end, qreal(best)}} : QList<QPointF>{});
    bestLine->setVisible(hasBest);

    const QString text = graphSummary(shownKind, data.newest ? &*data.newest : nullptr, best,
        int(data.sheets.size()), allDays->isChecked());
    summary->setText(text);
    summary->setAccessibleName(text);
    chartView->setAccessibleDescription(text);
}

void RecordsWindow::exportCsv()
{
    // With several children: the shown child's sheets or everyone's.
    std::optional<qint64> whose;
    const QString name = shownName();
    if (onlyChild) {
        whose = shownChild;
    } else if (!name.isEmpty()) {
        const auto chosen = desk.askItem(this, u"CSV にかきだす"_s,
            u"だれの きろくを かきだしますか？"_s, {name + u"だけ"_s, u"みんな"_s}, 0);
        if (!chosen)
            return;
        if (*chosen == 0)
            whose = shownChild;
    }
    // Read before asking where to, so that a store that cannot be read is
    // told before anything is chosen.
    if (!store->readable()) {
        ask(desk, this, unreadableText() + u"\r\nCSV は かきだして いません。"_s, u"きろく"_s,
            Desktop::Buttons::Ok, Desktop::Icon::Warning);
        return;
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested
        = QDir(folder).filePath(u"きろく-"_s + today().toString(u"yyyy-MM-dd"_s) + u".csv"_s);
    const QString path = desk.saveFileName(this, u"CSV にかきだす"_s, suggested, u"CSV (*.csv)"_s);
    if (path.isEmpty())
        return;
    if (!store->writeCsv(path, whose)) {
        ask(desk, this, u"CSV を かきだせませんでした。\r\n"_s + QDir::toNativeSeparators(path),
            u"きろく"_s, Desktop::Buttons::Ok, Desktop::Icon::Warning);
    }
}

void RecordsWindow::clearRecords()
{
    const auto counts = store->countsByKind(shownChild);
    if (!counts) {
        ask(desk, this, unreadableText(), u"きろく"_s, Desktop::Buttons::Ok,
            Desktop::Icon::Warning);
        return;
    }
    const QString list = sheetCountList(*counts);
    // With several children the questions say whose records go.
    const QString name = shownName();
    const QString whose = name.isEmpty() ? QString() : name + u"： "_s;
    if (ask(desk, this,
            whose + u"きろくを ぜんぶ けします。ハイスコアは のこります。\r\n\r\n"_s + list
                + u"\r\n\r\n"_s,
            u"きろく"_s, Desktop::Buttons::YesNoCancel)
        != Desktop::Answer::Yes)
        return;
    if (ask(desk, this, whose + u"ほんとうに、けして いいですか？\r\n\r\n"_s + list + u"\r\n\r\n"_s,
            u"もういちどかくにん"_s, Desktop::Buttons::YesNo)
        != Desktop::Answer::Yes)
        return;
    if (eraseElsewhere) {
        clearCommand->setEnabled(false);
        eraseElsewhere();
        return;
    }
    if (!store->clear(shownChild)) {
        ask(desk, this, u"きろくを けせませんでした。"_s, u"きろく"_s, Desktop::Buttons::Ok,
            Desktop::Icon::Warning);
    } else if (practising && practising->inClass()) {
        // Sheets the class does not have yet stay until it has them.
        practising->refreshWaiting();
        const auto left = store->countsByKind(shownChild);
        const int kept = left ? std::accumulate(left->begin(), left->end(), 0) : 0;
        if (kept > 0)
            ask(desk, this,
                whose + u"クラスの サーバーに まだ おくって いない きろく "_s
                    + QString::number(kept) + u"まいは、おくるまで のこします。"_s,
                u"きろく"_s, Desktop::Buttons::Ok);
    }
    refresh();
}

void RecordsWindow::setEraseElsewhere(std::function<void()> erase)
{
    eraseElsewhere = std::move(erase);
}

void RecordsWindow::erasedElsewhere(const std::optional<QString>& why)
{
    if (why) {
        ask(desk, this, u"きろくを けせませんでした。\r\n"_s + *why, u"きろく"_s,
            Desktop::Buttons::Ok, Desktop::Icon::Warning);
    } else {
        store->clear(shownChild);
    }
    refresh();
}

RecordsView* varolinMakeRecordsView(
    Practice& practice, Kind kind, Desktop& desktop, QWidget* parent)
{
    return new RecordsWindow(practice, kind, desktop, parent);
}
