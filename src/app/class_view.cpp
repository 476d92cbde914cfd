// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/class_view.h"

#include "app/children_commands.h"
#include "app/class_start.h"
#include "app/desktop.h"
#include "app/records_text.h"
#include "app/records_widgets.h"
#include "app/records_window.h"
#include "drill/kind_text.h"
#include "practice/practice.h"
#include "printing/fonts.h"
#include "scores/time_text.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTextBoundaryFinder>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString Title = u"Varolin クラス"_s;

// Shown in a part's place, and beside the commands, while its question is
// out.
const QString Loading = u"よみこみちゅう…"_s;

QString trendText(const std::optional<double>& trend)
{
    if (!trend)
        return u"－"_s;
    const long seconds = std::lround(std::abs(*trend));
    if (seconds == 0)
        return u"かわらない"_s;
    return QString::number(seconds) + (*trend < 0 ? u"びょう はやく"_s : u"びょう おそく"_s);
}

// Characters as a reader counts them, as a machine counts a child's name.
int readerLength(const QString& text)
{
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    int length = 0;
    while (characters.toNextBoundary() > 0)
        ++length;
    return length;
}

QTableWidgetItem* cell(const QString& text, Qt::Alignment alignment = Qt::AlignCenter)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

ClassView::ClassView(ClassRecords& records, Desktop& desktop, QWidget* parent)
    : QWidget(parent)
    , records(records)
    , desk(desktop)
{
    setWindowTitle(Title + u" － "_s + records.className());
    setAccessibleName(windowTitle());
    setFont(Fonts::gothic(10.5));
    buildControls();
    kindButton(shownKind)->setChecked(true);
    reload();
    // Most of the screen for the roster's rows, and never more than the
    // screen: a 1024 x 768 one included. Room is left for a title bar and
    // borders, which are not known before the window is shown.
    if (QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        const QSize room = available.size() - QSize(16, 40);
        const QSize wanted = sizeHint()
                                 .expandedTo(QSize(room.width() * 3 / 4, room.height() * 9 / 10))
                                 .boundedTo(room);
        resize(wanted);
        move(available.topLeft()
            + QPoint((room.width() - wanted.width()) / 2, (room.height() - wanted.height()) / 2));
    }
}

ClassView::~ClassView()
{
    // The records windows erase through the view's class: they go before
    // the view does.
    qDeleteAll(findChildren<RecordsWindow*>(Qt::FindDirectChildrenOnly));
}

void ClassView::buildControls()
{
    auto* layout = new QVBoxLayout(this);

    auto* topRow = new QHBoxLayout;
    kinds = addKindButtons(this, topRow, 90);
    connect(kinds, &QButtonGroup::idClicked, this, [this](int id) { setKind(kindFromNumber(id)); });
    topRow->addStretch();
    reloadCommand = new QPushButton(u"よみなおす"_s, this);
    reloadCommand->setAutoDefault(false);
    connect(reloadCommand, &QPushButton::clicked, this, &ClassView::reload);
    topRow->addWidget(reloadCommand);
    layout->addLayout(topRow);

    auto* body = new QHBoxLayout;
    auto* rosterBox = new QGroupBox(u"クラスの こども"_s, this);
    rosterBox->setFont(Fonts::gothic(10.5, true));
    auto* rosterLayout = new QVBoxLayout(rosterBox);
    rosterPart = new QStackedWidget(rosterBox);
    table = new QTableWidget(0, Columns, rosterPart);
    // A little smaller than the rest, so that the roster and the map fit
    // side by side on a small screen.
    table->setFont(Fonts::gothic(9.5));
    table->setAccessibleName(u"クラスの こども"_s);
    table->setHorizontalHeaderLabels({u"なまえ"_s, u"こんしゅう"_s, u"せんしゅう"_s,
        u"2しゅうまえ"_s, u"3しゅうまえ"_s, u"さいきん"_s, u"いちばん"_s, u"ちょうし"_s});
    table->horizontalHeader()->setFont(table->font());
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTabKeyNavigation(false);
    table->setAlternatingRowColors(true);
    table->setWordWrap(false);
    const QFontMetrics metrics(table->font());
    table->setColumnWidth(Name, metrics.horizontalAdvance(u"あいうえおかきく"_s) + 12);
    for (int week = 0; week < 4; ++week)
        table->setColumnWidth(ThisWeek + week, metrics.horizontalAdvance(u"2しゅうまえ"_s) + 12);
    table->setColumnWidth(Latest, metrics.horizontalAdvance(u"10分00秒"_s) + 16);
    table->setColumnWidth(Best, metrics.horizontalAdvance(u"10分00秒"_s) + 16);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int width = 2 * table->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent)
        + metrics.horizontalAdvance(u"99びょう おそく"_s) + 16;
    for (int column = 0; column < Trend; ++column)
        width += table->columnWidth(column);
    table->setMinimumWidth(width);
    table->setMinimumHeight(12 * table->verticalHeader()->defaultSectionSize());
    connect(table, &QTableWidget::cellDoubleClicked, this, [this] { openRecords(); });
    rosterPart->addWidget(table);
    rosterMessage = new QLabel(rosterPart);
    rosterMessage->setAlignment(Qt::AlignCenter);
    rosterMessage->setWordWrap(true);
    rosterPart->addWidget(rosterMessage);
    rosterLayout->addWidget(rosterPart, 1);
    auto* legend
        = new QLabel(u"◎ … めあて（1しゅうかんに 4にち）に とどいた しゅう\n"
                     u"ちょうし … さいごの 10まいの あとの はんぶんを まえの はんぶんと くらべて"_s,
            rosterBox);
    legend->setFont(Fonts::gothic(9));
    rosterLayout->addWidget(legend);
    body->addWidget(rosterBox, 1);

    auto* factsBox = new QGroupBox(u"クラスの にがてな もんだい"_s, this);
    factsBox->setFont(Fonts::gothic(10.5, true));
    auto* factsLayout = new QVBoxLayout(factsBox);
    auto* factsNote = new QLabel(u"ひとり さいごの 10まいずつ"_s, factsBox);
    factsNote->setFont(Fonts::gothic(9));
    factsLayout->addWidget(factsNote);
    factsPart = new QStackedWidget(factsBox);
    auto* factsPage = new QWidget(factsPart);
    auto* factsPageLayout = new QVBoxLayout(factsPage);
    factsPageLayout->setContentsMargins(0, 0, 0, 0);
    facts = new FactMap(factsPage);
    facts->setFont(font());
    factsPageLayout->addWidget(facts);
    slowest = new QLabel(factsPage);
    slowest->setFont(font());
    slowest->setWordWrap(true);
    factsPageLayout->addWidget(slowest);
    factsPageLayout->addStretch();
    factsPart->addWidget(factsPage);
    factsMessage = new QLabel(factsPart);
    factsMessage->setAlignment(Qt::AlignCenter);
    factsMessage->setWordWrap(true);
    factsPart->addWidget(factsMessage);
    factsLayout->addWidget(factsPart);
    // The map keeps its size; the roster takes the rest.
    body->addWidget(factsBox, 0);
    layout->addLayout(body, 1);

    auto* commandRow = new QHBoxLayout;
    recordsCommand = new QPushButton(u"きろくを みる"_s, this);
    addCommand = new QPushButton(u"こどもを ふやす"_s, this);
    renameCommand = new QPushButton(u"なまえを かえる"_s, this);
    removeCommand = new QPushButton(u"けす"_s, this);
    csvCommand = new QPushButton(u"CSV にかきだす"_s, this);
    for (QPushButton* button :
        {recordsCommand, addCommand, renameCommand, removeCommand, csvCommand}) {
        button->setAutoDefault(false);
        commandRow->addWidget(button);
        if (button == removeCommand) {
            commandRow->addStretch();
            askingNote = new QLabel(this);
            commandRow->addWidget(askingNote);
        }
    }
    connect(recordsCommand, &QPushButton::clicked, this, [this] { openRecords(); });
    connect(addCommand, &QPushButton::clicked, this, &ClassView::addChild);
    connect(renameCommand, &QPushButton::clicked, this, &ClassView::renameChild);
    connect(removeCommand, &QPushButton::clicked, this, &ClassView::removeChild);
    connect(csvCommand, &QPushButton::clicked, this, &ClassView::exportCsv);
    layout->addLayout(commandRow);
}

QAbstractButton* ClassView::kindButton(Kind kind) const
{
    return kinds->button(kindNumber(kind));
}

int ClassView::chosenRow() const
{
    const QList<QTableWidgetItem*> chosen = table->selectedItems();
    return chosen.isEmpty() ? -1 : chosen.first()->row();
}

void ClassView::chooseRow(int row)
{
    table->selectRow(row);
}

void ClassView::tellProblem(const QString& what, const ClassFailure& failure)
{
    ask(desk, this,
        what + u"\r\n"_s + classProblemText(failure.problem)
            + (failure.detail.isEmpty() ? QString() : u"\r\n\r\n"_s + failure.detail),
        Title, Desktop::Buttons::Ok, Desktop::Icon::Warning);
}

template <typename T, typename Done> void ClassView::await(const QFuture<T>& question, Done done)
{
    ++questionsOut;
    updateCommands();
    whenAnswered(question, this, [this, done = std::move(done)](const T& answer) mutable {
        --questionsOut;
        updateCommands();
        done(answer);
    });
}

void ClassView::updateCommands()
{
    const bool free = questionsOut == 0;
    reloadCommand->setEnabled(free);
    for (QPushButton* button :
        {recordsCommand, renameCommand, removeCommand, csvCommand, addCommand})
        button->setEnabled(free && rosterRead);
    askingNote->setText(free ? QString() : Loading);
    if (free)
        unsetCursor();
    else
        setCursor(Qt::BusyCursor);
}

void ClassView::reload()
{
    rosterRead = false;
    rosterMessage->setText(Loading);
    rosterPart->setCurrentWidget(rosterMessage);
    await(records.roster(desk.now().date()), [this](const ClassAnswer<QList<ClassChild>>& read) {
        rosterRead = read.value.has_value();
        roster = read.value.value_or(QList<ClassChild>());
        fillTable();
        updateCommands();
        if (rosterRead) {
            rosterPart->setCurrentWidget(table);
            return;
        }
        rosterMessage->setText(u"クラスの きろくを よめませんでした。"_s);
        tellProblem(u"クラスの きろくを よめませんでした。"_s, read);
    });
    readFacts();
}

void ClassView::setKind(Kind kind)
{
    shownKind = kind;
    kindButton(kind)->setChecked(true);
    fillTable();
    readFacts();
}

void ClassView::fillTable()
{
    const int row = chosenRow();
    table->setRowCount(int(roster.size()));
    const std::size_t kind = std::size_t(kindNumber(shownKind));
    for (int i = 0; i < roster.size(); ++i) {
        const ClassChild& child = roster[i];
        // Every kind at a glance over the name; the columns show the
        // chosen one.
        QStringList kindsText;
        for (Kind each : AllKinds) {
            const KindStanding& standing = child.kinds[std::size_t(kindNumber(each))];
            kindsText << kindName(each) + u"： "_s
                    + (standing.best ? u"さいきん %1、いちばん %2、%3"_s.arg(
                           shortText(standing.latest().value_or(0)), shortText(*standing.best),
                           trendText(standing.trend()))
                                     : u"まだ ありません"_s);
        }
        QTableWidgetItem* name = cell(child.name, Qt::AlignLeft);
        name->setToolTip(kindsText.join(u'\n'));
        table->setItem(i, Name, name);
        for (int week = 0; week < 4; ++week) {
            const int days = child.weekDays[std::size_t(week)];
            const bool goal = days >= WeeklyGoalDays;
            QTableWidgetItem* item = cell(u"%1にち"_s.arg(days) + (goal ? u" ◎"_s : QString()));
            if (goal) {
                // Both colours set, so that it reads on a dark desktop too.
                item->setBackground(QColor(200, 240, 200));
                item->setForeground(Qt::black);
            }
            table->setItem(i, ThisWeek + week, item);
        }
        const KindStanding& standing = child.kinds[kind];
        const auto latest = standing.latest();
        table->setItem(i, Latest, cell(latest ? shortText(*latest) : u"－"_s, Qt::AlignRight));
        table->setItem(
            i, Best, cell(standing.best ? shortText(*standing.best) : u"－"_s, Qt::AlignRight));
        table->setItem(i, Trend, cell(trendText(standing.trend())));
    }
    if (row >= 0 && row < table->rowCount())
        table->selectRow(row);
}

void ClassView::readFacts()
{
    const int asked = ++factsAsked;
    const Kind kind = shownKind;
    factsMessage->setText(Loading);
    factsPart->setCurrentWidget(factsMessage);
    await(records.facts(kind, 10), [this, asked, kind](const ClassAnswer<QList<FactStat>>& met) {
        if (asked != factsAsked)
            return;
        if (!met) {
            factsMessage->setText(u"にがてな もんだいを よめませんでした。"_s);
            return;
        }
        facts->setFacts(kind, *met.value);
        slowest->setText(slowestSentence(kind, *met.value));
        factsPart->setCurrentIndex(0);
    });
}

void ClassView::openRecords()
{
    const int row = chosenRow();
    if (row < 0 || row >= roster.size()) {
        ask(desk, this, u"こどもを えらんで ください。"_s, Title, Desktop::Buttons::Ok);
        return;
    }
    const ClassChild& chosen = roster[row];
    Child child;
    child.id = chosen.id;
    child.name = chosen.name;
    child.bestTimes = chosen.bestTimes();
    await(records.childSheets(chosen.id, chosen.name),
        [this, child](const ClassAnswer<ChildSheets>& read) {
            std::unique_ptr<RecordReader> sheets = read ? read.value->reader() : nullptr;
            if (!sheets) {
                ClassFailure failure = read;
                if (read)
                    failure.fail(ClassProblem::Failed, read.value->file);
                tellProblem(child.name + u"の きろくを よめませんでした。"_s, failure);
                return;
            }
            auto* window = new RecordsWindow(std::move(sheets), child, shownKind, desk, this);
            window->setAttribute(Qt::WA_DeleteOnClose);
            // Erased on the server in the background; the window waits for
            // the answer, unless it has closed by then.
            window->setEraseElsewhere([this, window, id = child.id] {
                whenAnswered(
                    records.clearSheets(id), window, [window](const ClassAnswer<bool>& erased) {
                        window->erasedElsewhere(erased
                                ? std::nullopt
                                : std::optional(classProblemText(erased.problem)
                                    + (erased.detail.isEmpty() ? QString()
                                                               : u"\r\n\r\n"_s + erased.detail)));
                    });
            });
            window->show();
            Q_EMIT recordsOpened(window);
        });
}

template <typename Keep>
void ClassView::askName(const QString& title, const QString& name, qint64 except, Keep keep)
{
    QString text = name;
    for (;;) {
        const std::optional<QString> typed = desk.askText(this, title, namePrompt(), text);
        if (!typed)
            return;
        text = *typed;
        const QString clean = Practice::cleanName(*typed);
        auto problem = Practice::NameProblem::None;
        if (clean.isEmpty())
            problem = Practice::NameProblem::Empty;
        else if (readerLength(clean) > Practice::MaxNameLength)
            problem = Practice::NameProblem::TooLong;
        for (const ClassChild& each : roster) {
            if (each.id != except && each.name == clean)
                problem = Practice::NameProblem::Taken;
        }
        if (problem == Practice::NameProblem::None)
            break;
        ask(desk, this, nameProblemText(problem), title, Desktop::Buttons::Ok,
            Desktop::Icon::Warning);
    }
    await(keep(Practice::cleanName(text)),
        [this, title, text, except, keep](const ClassAnswer<ClassRecords::Edit>& edit) {
            if (!edit) {
                tellProblem(nameProblemText(Practice::NameProblem::NotSaved), edit);
                return;
            }
            if (*edit.value == ClassRecords::Edit::Done) {
                reload();
                return;
            }
            // Another teacher gave the name meanwhile.
            ask(desk, this, nameProblemText(Practice::NameProblem::Taken), title,
                Desktop::Buttons::Ok, Desktop::Icon::Warning);
            askName(title, text, except, keep);
        });
}

void ClassView::addChild()
{
    askName(u"こどもを ふやす"_s, QString(), 0,
        [this](const QString& name) { return records.addChild(name); });
}

void ClassView::renameChild()
{
    const int row = chosenRow();
    if (row < 0 || row >= roster.size()) {
        ask(desk, this, u"こどもを えらんで ください。"_s, Title, Desktop::Buttons::Ok);
        return;
    }
    const qint64 id = roster[row].id;
    askName(u"なまえを かえる"_s, roster[row].name, id,
        [this, id](const QString& name) { return records.renameChild(id, name); });
}

void ClassView::removeChild()
{
    const int row = chosenRow();
    if (row < 0 || row >= roster.size()) {
        ask(desk, this, u"こどもを えらんで ください。"_s, Title, Desktop::Buttons::Ok);
        return;
    }
    const ClassChild child = roster[row];
    await(records.countsByKind(child.id),
        [this, child](const ClassAnswer<std::array<int, 4>>& counts) {
            if (!counts) {
                tellProblem(u"きろくを よめませんでした。"_s, counts);
                return;
            }
            const QString list = sheetCountList(*counts.value);
            if (ask(desk, this,
                    child.name + u" を クラスから けします。"_s + child.name
                        + u"の きろくも ぜんぶ きえます。\r\n\r\n"_s + list + u"\r\n\r\n"_s,
                    u"けす"_s, Desktop::Buttons::YesNo, Desktop::Icon::Warning)
                != Desktop::Answer::Yes)
                return;
            if (ask(desk, this, child.name + u"： ほんとうに、けして いいですか？"_s,
                    u"もういちどかくにん"_s, Desktop::Buttons::YesNo, Desktop::Icon::Warning)
                != Desktop::Answer::Yes)
                return;
            await(records.removeChild(child.id), [this, child](const ClassAnswer<bool>& removed) {
                if (!removed)
                    tellProblem(child.name + u" を けせませんでした。"_s, removed);
                reload();
            });
        });
}

void ClassView::exportCsv()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString fileName = u"クラス-%1-%2.csv"_s.arg(
        records.className(), desk.now().date().toString(u"yyyy-MM-dd"_s));
    // A class named "3/1" must not make a folder of its own.
    fileName.replace(u'/', u'-').replace(u'\\', u'-');
    const QString path = desk.saveFileName(
        this, u"CSV にかきだす"_s, QDir(folder).filePath(fileName), u"CSV (*.csv)"_s);
    if (path.isEmpty())
        return;
    await(records.writeCsv(path), [this, path](const ClassAnswer<bool>& written) {
        const QString text
            = u"CSV を かきだせませんでした。\r\n"_s + QDir::toNativeSeparators(path);
        // Either the server did not answer or the file could not be written.
        if (!written)
            tellProblem(text, written);
        else if (!*written.value)
            ask(desk, this, text, Title, Desktop::Buttons::Ok, Desktop::Icon::Warning);
    });
}
