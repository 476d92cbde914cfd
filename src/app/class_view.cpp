// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/class_view.h"

#include "app/children_commands.h"
#include "app/class_roster.h"
#include "app/class_start.h"
#include "app/desktop.h"
#include "app/records_text.h"
#include "app/records_widgets.h"
#include "app/records_window.h"
#include "app/weak_facts.h"
#include "practice/child_name.h"
#include "printing/fonts.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

const QString Title = u"Varolin クラス"_s;

// Shown in a part's place, and beside the commands, while its question is
// out.
const QString Loading = u"よみこみちゅう…"_s;

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
    kinds->button(kindNumber(shownKind))->setChecked(true);
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
    reloadCommand->setObjectName(u"reload"_s);
    reloadCommand->setAutoDefault(false);
    connect(reloadCommand, &QPushButton::clicked, this, &ClassView::reload);
    topRow->addWidget(reloadCommand);
    layout->addLayout(topRow);

    auto* body = new QHBoxLayout;
    auto* rosterBox = new QGroupBox(u"クラスの こども"_s, this);
    rosterBox->setFont(Fonts::gothic(10.5, true));
    auto* rosterLayout = new QVBoxLayout(rosterBox);
    rosterPart = new QStackedWidget(rosterBox);
    table = new ClassRoster(rosterPart);
    connect(table, &QTableWidget::cellDoubleClicked, this, [this] { openRecords(); });
    rosterPart->addWidget(table);
    rosterMessage = new QLabel(rosterPart);
    rosterMessage->setObjectName(u"rosterMessage"_s);
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
    facts = new WeakFacts(u"クラスの にがてな もんだい"_s, WeakFacts::Legend::None, factsPage);
    factsPageLayout->addWidget(facts);
    factsPageLayout->addStretch();
    factsPart->addWidget(factsPage);
    factsMessage = new QLabel(factsPart);
    factsMessage->setObjectName(u"factsMessage"_s);
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
    recordsCommand->setObjectName(u"openRecords"_s);
    addCommand->setObjectName(u"addChild"_s);
    renameCommand->setObjectName(u"renameChild"_s);
    removeCommand->setObjectName(u"removeChild"_s);
    csvCommand->setObjectName(u"exportCsv"_s);
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

const ClassChild* ClassView::chosenChild()
{
    const int row = table->chosenRow();
    if (row < 0 || row >= roster.size()) {
        ask(desk, this, u"こどもを えらんで ください。"_s, Title, Desktop::Buttons::Ok);
        return nullptr;
    }
    return &roster[row];
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
        table->fill(roster, shownKind);
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
    kinds->button(kindNumber(kind))->setChecked(true);
    table->fill(roster, shownKind);
    readFacts();
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
        factsPart->setCurrentIndex(0);
    });
}

void ClassView::openRecords()
{
    const ClassChild* chosen = chosenChild();
    if (!chosen)
        return;
    Child child;
    child.id = chosen->id;
    child.name = chosen->name;
    child.bestTimes = chosen->bestTimes();
    await(records.childSheets(chosen->id, chosen->name),
        [this, child](const ClassAnswer<ChildSheets>& read) {
            std::unique_ptr<ChildCopy> sheets = read ? read.value->reader() : nullptr;
            if (!sheets) {
                ClassFailure failure = read;
                if (read)
                    failure.fail(ClassProblem::Failed, read.value->file);
                tellProblem(child.name + u"の きろくを よめませんでした。"_s, failure);
                return;
            }
            ChildCopy* copy = sheets.get();
            auto* window = new RecordsWindow(std::move(sheets), child, shownKind, desk, this);
            window->setAttribute(Qt::WA_DeleteOnClose);
            // Erased on the server in the background; the window waits for
            // the answer, unless it has closed by then, and its copy goes
            // too.
            window->setEraseElsewhere([this, window, copy, id = child.id] {
                whenAnswered(records.clearSheets(id), window,
                    [window, copy](const ClassAnswer<bool>& erased) {
                        if (erased)
                            copy->forget();
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
        QStringList others;
        for (const ClassChild& each : roster) {
            if (each.id != except)
                others.append(each.name);
        }
        const ChildName::Problem problem = ChildName::check(*typed, others);
        if (problem == ChildName::Problem::None)
            break;
        ask(desk, this, nameProblemText(problem), title, Desktop::Buttons::Ok,
            Desktop::Icon::Warning);
    }
    await(keep(ChildName::clean(text)),
        [this, title, text, except, keep](const ClassAnswer<ClassRecords::Edit>& edit) {
            if (!edit) {
                tellProblem(nameProblemText(ChildName::Problem::NotSaved), edit);
                return;
            }
            if (*edit.value == ClassRecords::Edit::Done) {
                reload();
                return;
            }
            // Another teacher gave the name meanwhile.
            ask(desk, this, nameProblemText(ChildName::Problem::Taken), title, Desktop::Buttons::Ok,
                Desktop::Icon::Warning);
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
    const ClassChild* chosen = chosenChild();
    if (!chosen)
        return;
    const qint64 id = chosen->id;
    askName(u"なまえを かえる"_s, chosen->name, id,
        [this, id](const QString& name) { return records.renameChild(id, name); });
}

void ClassView::removeChild()
{
    const ClassChild* chosen = chosenChild();
    if (!chosen)
        return;
    const ClassChild child = *chosen;
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
