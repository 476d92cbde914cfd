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
#include "drill/kind_text.h"
#include "practice/shown_child.h"
#include "printing/fonts.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

RecordsWindow::RecordsWindow(
    std::unique_ptr<const RecordsContext> context, Kind kind, Desktop& desktop, QWidget* parent)
    : QWidget(parent)
    , context(std::move(context))
    , store(this->context->records())
    , desk(desktop)
    , shownKind(kind)
    , shownChild(this->context->childAtBoard())
{
    const QList<Child> children = this->context->children();
    if (const Child* atBoard = childWithId(children, shownChild))
        bestTimes = atBoard->bestTimes;
    setWindowFlag(Qt::Window);
    setAccessibleName(u"きろく"_s);
    auto* closing = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(closing, &QShortcut::activated, this, &QWidget::close);
    setFont(Fonts::gothic(10.5));
    buildControls();
    rebuildChildren();
    setKind(kind);
    refresh();
    // Renamed, added or removed from the chooser as well as from here.
    connect(this->context.get(), &RecordsContext::childrenChanged, this, [this] {
        rebuildChildren();
        graph->setBest(shownBest());
        showTitle();
    });
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
    children = new RecordsChildren(*context, this);
    connect(children, &RecordsChildren::chosen, this, &RecordsWindow::showChild);
    childRow->addWidget(children);
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
    connect(printCommand, &QPushButton::clicked, this, [this] { print(reportOffer()); });
    connect(csvCommand, &QPushButton::clicked, this, &RecordsWindow::exportCsv);
    connect(clearCommand, &QPushButton::clicked, this, &RecordsWindow::clearRecords);
    clearCommand->hide();
    layout->addLayout(topRow);

    // With a class: how many sheets the server does not have yet.
    const bool inClass = context->sendsToClass();
    waiting = new QLabel(this);
    waiting->setObjectName(u"sheetsWaiting"_s);
    waiting->setFont(Fonts::gothic(10.5, true));
    waiting->setVisible(inClass);
    layout->addWidget(waiting);
    if (inClass) {
        connect(context.get(), &RecordsContext::sheetsWaitingChanged, this,
            &RecordsWindow::showWaiting);
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

    graph = new GraphPart(store, day, content);
    bodyGrid->addWidget(graph, 0, 0);
    calendar = new CalendarPart(store, day, content);
    bodyGrid->addWidget(calendar, 0, 1);
    // How each fact stands, known by heart or not, and which are slow.
    factsPart = new RecordsPart(u"factsPart"_s, u"もんだいの ようす"_s, content);
    facts = new WeakFacts(u"もんだいの ようす"_s, WeakFacts::Legend::Beside);
    factsPart->setContents(facts);
    bodyGrid->addWidget(factsPart, 1, 0);
    table = new SheetTablePart(store, content);
    bodyGrid->addWidget(table, 1, 1);
    // A large window's height goes to the fact map first: its squares grow
    // only as tall as its row, while the graph reads well at its smallest.
    bodyGrid->setRowStretch(0, 2);
    bodyGrid->setRowStretch(1, 3);
    bodyGrid->setColumnStretch(0, 3);
    bodyGrid->setColumnStretch(1, 2);
}

void RecordsWindow::showEvent(QShowEvent* event)
{
    // Placed when first shown, with the commands it was given by then.
    if (!placed) {
        placed = true;
        placeOnScreen();
    }
    QWidget::showEvent(event);
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
    if (shownChild == context->childAtBoard())
        graph->setBest(shownBest());
}

BestTimes RecordsWindow::shownBests() const
{
    if (shownChild == context->childAtBoard())
        return bestTimes;
    const QList<Child> children = context->children();
    const Child* child = childWithId(children, shownChild);
    return child ? child->bestTimes : bestTimes;
}

std::optional<int> RecordsWindow::shownBest() const
{
    return shownBests().of(shownKind);
}

QString RecordsWindow::shownName() const
{
    return nameWhenSeveral(context->children(), shownChild, context->severalChildren());
}

void RecordsWindow::rebuildChildren()
{
    // A child removed meanwhile: the one at the board instead.
    const qint64 shown = childStillThere(context->children(), shownChild, context->childAtBoard())
                             .value_or(context->childAtBoard());
    if (shown != shownChild) {
        shownChild = shown;
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
    setKind(kindPractised(store, shownChild, shownKind));
    refreshTable();
}

void RecordsWindow::setSheetsNotKept(int sheets)
{
    notKept->setText(keptWords(notKeptText(sheets)));
    notKept->setAccessibleName(notKeptText(sheets));
    notKept->setVisible(sheets > 0);
}

void RecordsWindow::setPrintCommand(std::function<void(const ReportOffer&)> command)
{
    print = std::move(command);
    printCommand->setVisible(bool(print));
}

void RecordsWindow::setClearCommand(ClearCommand command)
{
    clear = std::move(command);
    clearCommand->setVisible(bool(clear));
}

void RecordsWindow::setChildrenCommands(ChildrenCommandSet commands)
{
    children->setCommands(std::move(commands));
    children->rebuild(shownChild);
}

void RecordsWindow::showWaiting()
{
    const QString text = waitingText(context->sheetsWaiting());
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
    const QList<Child> children = context->children();
    const Child* child = childWithId(children, shownChild);
    setWindowTitle((child ? child->name : QString()) + u" の きろく － "_s + kindName(shownKind));
}

QDate RecordsWindow::today() const
{
    return desk.now().date();
}

ReportOffer RecordsWindow::reportOffer() const
{
    // This month, and every earlier month with a sheet of any kind.
    const QDate day = today();
    QList<QDate> months{QDate(day.year(), day.month(), 1)};
    if (const auto days = store.practiceDays(shownChild, QDate(1900, 1, 1), day)) {
        for (auto practised = days->crbegin(); practised != days->crend(); ++practised) {
            const QDate month(practised->year(), practised->month(), 1);
            if (month < months.last())
                months.append(month);
        }
    }
    return {shownName(), months, [&records = store, child = shownChild](const QDate& month) {
                return monthRecords(records, child, month);
            }};
}

void RecordsWindow::refresh()
{
    refreshTable();
    refreshKind();
}

void RecordsWindow::refreshTable()
{
    // Clearing takes every kind's sheets: offered while there is any.
    const auto counts = store.countsByKind(shownChild);
    clearCommand->setEnabled(counts && std::accumulate(counts->begin(), counts->end(), 0) > 0);
}

void RecordsWindow::refreshKind()
{
    table->read(shownChild, shownKind);
    calendar->read(shownChild, shownKind);
    graph->read(shownChild, shownKind, shownBest());
    const auto met = store.facts(shownChild, shownKind, 10);
    const auto known = store.knownFacts(shownChild, shownKind);
    if (met && known)
        facts->setFacts(shownKind, *met, &*known);
    factsPart->showReadable(met && known);
}

void RecordsWindow::exportCsv()
{
    // With other children's records beside: the shown child's sheets or
    // everyone's.
    std::optional<qint64> whose = shownChild;
    if (context->holdsOthers()) {
        const auto chosen = desk.askItem(this, u"CSV にかきだす"_s,
            u"だれの きろくを かきだしますか？"_s, {shownName() + u"だけ"_s, u"みんな"_s}, 0);
        if (!chosen)
            return;
        if (*chosen != 0)
            whose.reset();
    }
    // Read before asking where to, so that a store that cannot be read is
    // told before anything is chosen.
    if (!store.readable()) {
        ask(desk, this, unreadableText() + u"\r\nCSV は かきだして いません。"_s, u"きろく"_s,
            Desktop::Buttons::Ok, Desktop::Icon::Warning);
        return;
    }
    const QString folder = documentsFolder();
    // Whose records the file holds, by name: 「きろく-はなこ-2026-12-08.csv」;
    // no name for every child's.
    const QList<Child> children = context->children();
    const Child* owner = whose ? childWithId(children, *whose) : nullptr;
    const QString ownerName = fileNamePart(owner ? owner->name : QString());
    const QString suggested = QDir(folder).filePath(u"きろく-"_s
        + (ownerName.isEmpty() ? QString() : ownerName + u"-"_s) + today().toString(u"yyyy-MM-dd"_s)
        + u".csv"_s);
    const QString path = desk.saveFileName(this, u"CSV にかきだす"_s, suggested, u"CSV (*.csv)"_s);
    if (path.isEmpty())
        return;
    // Told either way, with where the file is.
    if (const Done failed = store.writeCsv(path, whose)) {
        ask(desk, this, u"CSV を かきだせませんでした。\r\n"_s + QDir::toNativeSeparators(path),
            u"きろく"_s, Desktop::Buttons::Ok, Desktop::Icon::Warning, failed->detail);
    } else {
        ask(desk, this, u"CSV を かきだしました。\r\n"_s + QDir::toNativeSeparators(path),
            u"きろく"_s, Desktop::Buttons::Ok);
    }
}

void RecordsWindow::clearRecords()
{
    const auto counts = store.countsByKind(shownChild);
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
    // Cleared by whoever opened the window, at once or once the class
    // server answers: the command waits.
    clearCommand->setEnabled(false);
    clear(shownChild, [window = QPointer(this), whose](const RecordsCleared& outcome) {
        if (window)
            window->cleared(whose, outcome);
    });
}

void RecordsWindow::cleared(const QString& whose, const RecordsCleared& outcome)
{
    if (!outcome.kept) {
        ask(desk, this,
            u"きろくを けせませんでした。"_s
                + (outcome.why.isEmpty() ? QString() : u"\r\n"_s + outcome.why),
            u"きろく"_s, Desktop::Buttons::Ok, Desktop::Icon::Warning, outcome.details);
    } else if (*outcome.kept > 0) {
        ask(desk, this,
            whose + u"クラスの サーバーに まだ おくって いない きろく "_s
                + QString::number(*outcome.kept) + u"まいは、おくるまで のこします。"_s,
            u"きろく"_s, Desktop::Buttons::Ok);
    }
    refresh();
}

RecordsView* varolinMakeRecordsView(
    std::unique_ptr<const RecordsContext> context, Kind kind, Desktop& desktop, QWidget* parent)
{
    return new RecordsWindow(std::move(context), kind, desktop, parent);
}
