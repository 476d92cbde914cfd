// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/records_window.h"

#include "app/desktop.h"
#include "app/file_names.h"
#include "app/records_calendar.h"
#include "app/records_children.h"
#include "app/records_graph.h"
#include "app/records_table.h"
#include "app/records_text.h"
#include "app/records_widgets.h"
#include "app/weak_facts.h"
#include "app/window_fit.h"
#include "practice/practice.h"
#include "printing/fonts.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

RecordsWindow::RecordsWindow(Practice& practice, Kind kind, Desktop& desktop, QWidget* parent)
    : QWidget(parent)
    , practising(&practice)
    , store(practice.recordReader())
    , desk(desktop)
    , shownKind(kind)
    , shownChild(practice.child().id)
    , bestTimes(practice.bestTimes())
{
    setUp(kind);
    // Renamed, added or removed from the chooser as well as from here.
    connect(&practice, &Practice::childrenChanged, this, [this] {
        rebuildChildren();
        graph->setBest(shownBest());
        showTitle();
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
    // Opened from the class view on the view's kind, which the child may
    // never have done.
    setUp(kindPractised(child.id, kind));
}

void RecordsWindow::setUp(Kind kind)
{
    setWindowFlag(Qt::Window);
    setAccessibleName(u"きろく"_s);
    auto* closing = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(closing, &QShortcut::activated, this, &QWidget::close);
    setFont(Fonts::gothic(10.5));
    buildControls();
    rebuildChildren();
    setKind(kind);
    refresh();
    placeOnScreen();
}

RecordsWindow::~RecordsWindow() = default;

void RecordsWindow::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    const auto day = [this] { return today(); };

    // The sheets not kept, and beside them whose records and the commands
    // for the children, a parent's place: one row, for the height of a small
    // screen. The class view keeps its roster: one child there, and no
    // commands.
    auto* childRow = new QHBoxLayout;
    notKept = new QLabel(this);
    notKept->setObjectName(u"sheetsNotKept"_s);
    notKept->setFont(Fonts::gothic(10.5, true));
    notKept->setWordWrap(true);
    notKept->hide();
    childRow->addWidget(notKept, 1);
    if (practising) {
        children = new RecordsChildren(*practising, desk, this);
        connect(children, &RecordsChildren::chosen, this, &RecordsWindow::showChild);
        childRow->addWidget(children);
    }
    layout->addLayout(childRow);

    // The kinds on the left, the commands on the right: one row that stays
    // in sight however the parts below are scrolled.
    auto* topRow = new QHBoxLayout;
    kinds = addKindButtons(this, topRow, 100);
    connect(kinds, &QButtonGroup::idClicked, this, [this](int id) { setKind(kindFromNumber(id)); });
    topRow->addStretch();
    // A parent looks for printing among the records.
    printCommand = new QPushButton(u"いんさつ"_s, this);
    printCommand->setObjectName(u"print"_s);
    printCommand->hide();
    csvCommand = new QPushButton(u"CSV にかきだす"_s, this);
    csvCommand->setObjectName(u"exportCsv"_s);
    clearCommand = new QPushButton(u"きろくを けす"_s, this);
    clearCommand->setObjectName(u"clearRecords"_s);
    for (QPushButton* button : {printCommand, csvCommand, clearCommand}) {
        button->setFont(Fonts::gothic(10.5, true));
        button->setAutoDefault(false);
        topRow->addWidget(button);
    }
    connect(printCommand, &QPushButton::clicked, this, [this] { print(); });
    connect(csvCommand, &QPushButton::clicked, this, &RecordsWindow::exportCsv);
    connect(clearCommand, &QPushButton::clicked, this, &RecordsWindow::clearRecords);
    clearCommand->setVisible(!practising || practising->recordsClearable());
    layout->addLayout(topRow);

    // With a class: how many sheets the server does not have yet.
    const bool inClass = practising && practising->inClass();
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
    scroll->setObjectName(u"parts"_s);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget(scroll);
    auto* bodyGrid = new QGridLayout(content);
    bodyGrid->setContentsMargins(0, 0, 0, 0);
    scroll->setWidget(content);
    layout->addWidget(scroll, 1);

    graph = new GraphPart(*store, day, content);
    bodyGrid->addWidget(graph, 0, 0);
    calendar = new CalendarPart(*store, day, content);
    bodyGrid->addWidget(calendar, 0, 1);
    factsPart = new RecordsPart(u"factsPart"_s, u"にがてな もんだい"_s, content);
    facts = new WeakFacts(u"にがてな もんだい"_s, WeakFacts::Legend::Beside);
    factsPart->setContents(facts);
    bodyGrid->addWidget(factsPart, 1, 0);
    table = new SheetTablePart(*store, content);
    bodyGrid->addWidget(table, 1, 1);
    // A large window's height goes to the fact map first: its squares grow
    // only as tall as its row, while the graph reads well at its smallest.
    bodyGrid->setRowStretch(0, 2);
    bodyGrid->setRowStretch(1, 3);
    bodyGrid->setColumnStretch(0, 3);
    bodyGrid->setColumnStretch(1, 2);
}

void RecordsWindow::placeOnScreen()
{
    // The screen of the window it was opened from.
    QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen)
        return;
    // The parts' smallest size with the window's rows and margins around
    // them, and room for the line of sheets not kept: the size at which
    // nothing needs scrolling.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QMargins margins = layout()->contentsMargins();
    const QSize whole = scroll->widget()->minimumSizeHint()
        + QSize(margins.left() + margins.right() + scrollBar,
            minimumSizeHint().height() - scroll->minimumSizeHint().height() + layout()->spacing()
                + notKept->fontMetrics().height());
    // Three quarters of a large screen, and enough for the parts; the whole
    // height of a small one (1024 x 768 less a panel), where wrapped lines
    // take more than the parts' smallest size, and the parts scroll only
    // on a smaller one still.
    const QSize available = screen->availableGeometry().size();
    fitOnScreen(this, screen,
        whole.expandedTo(QSize(available.width() * 3 / 4,
            available.height() < 800 ? available.height() : available.height() * 3 / 4)));
}

void RecordsWindow::setBestTimes(const BestTimes& shown)
{
    // Told after every sheet, mostly unchanged: the graph is read once per
    // refresh and only drawn again for a new best time.
    if (shown == bestTimes)
        return;
    bestTimes = shown;
    if (practising && shownChild == practising->child().id)
        graph->setBest(shownBest());
}

const BestTimes& RecordsWindow::shownBests() const
{
    if (!practising || shownChild == practising->child().id)
        return bestTimes;
    for (const Child& each : practising->children()) {
        if (each.id == shownChild)
            return each.bestTimes;
    }
    return bestTimes;
}

std::optional<int> RecordsWindow::shownBest() const
{
    return shownBests().of(shownKind);
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
    if (!practising)
        return;
    const QList<Child>& all = practising->children();
    // A child removed meanwhile: the one at the board instead.
    if (std::none_of(
            all.begin(), all.end(), [this](const Child& each) { return each.id == shownChild; })) {
        shownChild = practising->child().id;
        refresh();
    }
    children->rebuild(shownChild);
}

void RecordsWindow::showChild(qint64 child)
{
    const bool changed = child != shownChild;
    shownChild = child;
    // Rebuilt even for the same child: the child at the board, whom the
    // removal is not offered for, may be another now.
    rebuildChildren();
    if (!changed)
        return;
    setKind(kindPractised(child, shownKind));
    refreshTable();
}

Kind RecordsWindow::kindPractised(qint64 child, Kind wanted) const
{
    // A child who never did `wanted`: their newest sheet's kind instead, so
    // that the window opens on their practice.
    const auto counts = store->countsByKind(child);
    if (counts && (*counts)[kindNumber(wanted)] == 0) {
        const auto newest = store->sheets(SheetRange().ofChild(child).atMost(1));
        if (newest && !newest->isEmpty())
            return newest->first().kind;
    }
    return wanted;
}

void RecordsWindow::setSheetsNotKept(int sheets)
{
    notKept->setText(keptWords(notKeptText(sheets)));
    notKept->setAccessibleName(notKeptText(sheets));
    notKept->setVisible(sheets > 0);
}

void RecordsWindow::setPrintCommand(std::function<void()> command)
{
    print = std::move(command);
    printCommand->setVisible(bool(print));
}

void RecordsWindow::showWaiting()
{
    const QString text = waitingText(practising->sheetsWaiting());
    waiting->setText(keptWords(text));
    waiting->setAccessibleName(text);
}

void RecordsWindow::setKind(Kind kind)
{
    shownKind = kind;
    kinds->button(kindNumber(kind))->setChecked(true);
    showTitle();
    refreshKind();
}

void RecordsWindow::showTitle()
{
    // Whose records, on a classroom machine above all: 「はなこ の きろく － たしざん」.
    QString name = onlyChild ? onlyChild->name : QString();
    for (const Child& each : practising ? practising->children() : QList<Child>()) {
        if (each.id == shownChild)
            name = each.name;
    }
    setWindowTitle(name + u" の きろく － "_s + kindName(shownKind));
}

QDate RecordsWindow::today() const
{
    return desk.now().date();
}

void RecordsWindow::refresh()
{
    refreshTable();
    refreshKind();
}

void RecordsWindow::refreshTable()
{
    // Clearing takes every kind's sheets: offered while there is any.
    const auto counts = store->countsByKind(shownChild);
    clearCommand->setEnabled(counts && std::accumulate(counts->begin(), counts->end(), 0) > 0);
}

void RecordsWindow::refreshKind()
{
    table->read(shownChild, shownKind);
    calendar->read(shownChild, shownKind);
    graph->read(shownChild, shownKind, shownBest());
    const auto met = store->facts(shownChild, shownKind, 10);
    if (met)
        facts->setFacts(shownKind, *met);
    factsPart->showReadable(met.has_value());
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
    const QString folder = documentsFolder();
    // Whose records the file holds, by name: 「きろく-はなこ-2026-12-08.csv」;
    // no name for every child's.
    QString owner;
    if (whose && !name.isEmpty())
        owner = name;
    else if (!onlyChild && !practising->hasSeveralChildren())
        owner = practising->child().name;
    owner = fileNamePart(owner);
    const QString suggested
        = QDir(folder).filePath(u"きろく-"_s + (owner.isEmpty() ? QString() : owner + u"-"_s)
            + today().toString(u"yyyy-MM-dd"_s) + u".csv"_s);
    const QString path = desk.saveFileName(this, u"CSV にかきだす"_s, suggested, u"CSV (*.csv)"_s);
    if (path.isEmpty())
        return;
    // Told either way, with where the file is.
    if (!store->writeCsv(path, whose)) {
        ask(desk, this, u"CSV を かきだせませんでした。\r\n"_s + QDir::toNativeSeparators(path),
            u"きろく"_s, Desktop::Buttons::Ok, Desktop::Icon::Warning);
    } else {
        ask(desk, this, u"CSV を かきだしました。\r\n"_s + QDir::toNativeSeparators(path),
            u"きろく"_s, Desktop::Buttons::Ok);
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
            u"きろく"_s, Desktop::Buttons::YesNoDefaultNo)
        != Desktop::Answer::Yes)
        return;
    if (ask(desk, this, whose + u"ほんとうに、けして いいですか？\r\n\r\n"_s + list + u"\r\n\r\n"_s,
            u"もういちどかくにん"_s, Desktop::Buttons::YesNoDefaultNo)
        != Desktop::Answer::Yes)
        return;
    if (eraseElsewhere) {
        clearCommand->setEnabled(false);
        eraseElsewhere();
        return;
    }
    const std::optional<int> kept = practising->clearRecords(shownChild);
    if (!kept) {
        ask(desk, this, u"きろくを けせませんでした。"_s, u"きろく"_s, Desktop::Buttons::Ok,
            Desktop::Icon::Warning);
    } else if (*kept > 0) {
        ask(desk, this,
            whose + u"クラスの サーバーに まだ おくって いない きろく "_s + QString::number(*kept)
                + u"まいは、おくるまで のこします。"_s,
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
    if (why)
        ask(desk, this, u"きろくを けせませんでした。\r\n"_s + *why, u"きろく"_s,
            Desktop::Buttons::Ok, Desktop::Icon::Warning);
    refresh();
}

RecordsView* varolinMakeRecordsView(
    Practice& practice, Kind kind, Desktop& desktop, QWidget* parent)
{
    return new RecordsWindow(practice, kind, desktop, parent);
}
