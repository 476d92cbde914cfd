// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/class_view.h"

#include "app/children_commands.h"
#include "app/class_roster.h"
#include "app/class_view_known.h"
#include "app/desktop.h"
#include "app/file_names.h"
#include "app/records_context.h"
#include "app/records_text.h"
#include "app/records_widgets.h"
#include "app/records_window.h"
#include "app/weak_facts.h"
#include "app/window_fit.h"
#include "practice/child_name.h"
#include "practice/shown_child.h"
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
#include <QTabWidget>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString Title = u"Varolin クラス"_s;

// Shown in a part's place, and beside the commands, while its question is
// out.
const QString Loading = u"読み込み中…"_s;

// What the teacher reads of a failure of the server.
QString adultText(const Failure& failure)
{
    return failureText(failure, Reader::Adult).text;
}

} // namespace

ClassView::ClassView(ClassRecords& records, Desktop& desktop,
    const std::optional<Failure>& notOpened, QWidget* parent)
    : QWidget(parent)
    , records(records)
    , desk(desktop)
    , opened(!notOpened)
{
    setWindowTitle(Title + u" － "_s + records.className());
    setAccessibleName(windowTitle());
    setFont(Fonts::gothic(10.5));
    buildControls();
    kinds->button(kindNumber(shownKind))->setChecked(true);
    if (notOpened)
        showUnopened(*notOpened);
    else
        reload();
    // Most of the screen's height for the roster's rows, and as wide as the
    // roster's columns at their widest beside the map: a wide screen does
    // not stretch one column. Never more than the screen, a 1024 x 768 one
    // with a panel included.
    if (QScreen* screen = this->screen()) {
        const QSize wanted(sizeHint().width() + table->minimumWidth(),
            screen->availableGeometry().height() * 9 / 10);
        fitOnScreen(this, screen, wanted);
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
    reloadCommand = new QPushButton(u"読み直す"_s, this);
    reloadCommand->setObjectName(u"reload"_s);
    reloadCommand->setAutoDefault(false);
    connect(reloadCommand, &QPushButton::clicked, this, &ClassView::reload);
    topRow->addWidget(reloadCommand);
    layout->addLayout(topRow);

    auto* body = new QHBoxLayout;
    auto* rosterBox = new QGroupBox(u"クラスの児童"_s, this);
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
    auto* legend = new QLabel(u"週の欄 … その種類を練習した日数、◎ は目標（週4日）に届いた週\n"
                              u"調子 … 最近10枚のうち新しい5枚の平均を、古い5枚と比べて"_s,
        rosterBox);
    legend->setFont(Fonts::gothic(9));
    rosterLayout->addWidget(legend);
    body->addWidget(rosterBox, 1);

    // The two maps of the class's facts share the room beside the roster,
    // which a 1024 x 768 screen could not give them one above the other.
    auto* factsTabs = new QTabWidget(this);
    factsTabs->setObjectName(u"factsTabs"_s);
    factsTabs->addTab(buildKnownPart(factsTabs), u"覚えた問題"_s);
    auto* factsBox = new QWidget(factsTabs);
    auto* factsLayout = new QVBoxLayout(factsBox);
    auto* factsNote = new QLabel(u"1人につき最近の10枚"_s, factsBox);
    factsNote->setFont(Fonts::gothic(9));
    factsLayout->addWidget(factsNote);
    factsPart = new QStackedWidget(factsBox);
    auto* factsPage = new QWidget(factsPart);
    auto* factsPageLayout = new QVBoxLayout(factsPage);
    factsPageLayout->setContentsMargins(0, 0, 0, 0);
    facts
        = new WeakFacts(u"クラスの苦手な問題"_s, WeakFacts::Legend::None, factsPage, Words::Adult);
    factsPageLayout->addWidget(facts);
    factsPageLayout->addStretch();
    factsPart->addWidget(factsPage);
    factsMessage = new QLabel(factsPart);
    factsMessage->setObjectName(u"factsMessage"_s);
    factsMessage->setAlignment(Qt::AlignCenter);
    factsMessage->setWordWrap(true);
    factsPart->addWidget(factsMessage);
    factsLayout->addWidget(factsPart);
    factsLayout->addStretch();
    factsTabs->addTab(factsBox, u"苦手な問題"_s);
    // The maps keep their size, whatever the kind; the roster takes the rest.
    factsTabs->setFixedWidth(factsTabs->sizeHint().width());
    body->addWidget(factsTabs, 0);
    layout->addLayout(body, 1);

    auto* commandRow = new QHBoxLayout;
    recordsCommand = new QPushButton(u"記録を見る"_s, this);
    addCommand = new QPushButton(u"児童を追加"_s, this);
    renameCommand = new QPushButton(u"名前を変更"_s, this);
    numberCommand = new QPushButton(u"番号を変更"_s, this);
    removeCommand = new QPushButton(u"削除"_s, this);
    csvCommand = new QPushButton(u"CSV に書き出す"_s, this);
    reportsCommand = new QPushButton(u"月の報告を印刷"_s, this);
    recordsCommand->setObjectName(u"openRecords"_s);
    addCommand->setObjectName(u"addChild"_s);
    renameCommand->setObjectName(u"renameChild"_s);
    numberCommand->setObjectName(u"setNumber"_s);
    removeCommand->setObjectName(u"removeChild"_s);
    csvCommand->setObjectName(u"exportCsv"_s);
    reportsCommand->setObjectName(u"printReports"_s);
    for (QPushButton* button : {recordsCommand, addCommand, renameCommand, numberCommand,
             removeCommand, reportsCommand, csvCommand}) {
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
    connect(numberCommand, &QPushButton::clicked, this, &ClassView::setNumber);
    connect(removeCommand, &QPushButton::clicked, this, &ClassView::removeChild);
    connect(csvCommand, &QPushButton::clicked, this, &ClassView::exportCsv);
    connect(reportsCommand, &QPushButton::clicked, this, &ClassView::printReports);
    layout->addLayout(commandRow);
}

const ClassChild* ClassView::chosenChild()
{
    const int row = table->chosenRow();
    if (row < 0 || row >= roster.size()) {
        ask(desk, this, u"児童を選んでください。"_s, Title, Desktop::Buttons::Ok);
        return nullptr;
    }
    return &roster[row];
}

void ClassView::tellProblem(const QString& what, const Failure& failure)
{
    // The server's own words, in English or Japanese as it was set up, are
    // for whoever keeps it: behind the box's details button.
    ask(desk, this, what + u"\r\n"_s + adultText(failure), Title, Desktop::Buttons::Ok,
        Desktop::Icon::Warning, failure.detail);
}

void ClassView::updateCommands()
{
    const bool free = questionsOut == 0;
    reloadCommand->setEnabled(free);
    for (QPushButton* button : {recordsCommand, renameCommand, numberCommand, removeCommand,
             csvCommand, addCommand, reportsCommand})
        button->setEnabled(free && rosterRead);
    askingNote->setText(free ? QString() : Loading);
    if (free)
        unsetCursor();
    else
        setCursor(Qt::BusyCursor);
}

void ClassView::showUnopened(const Failure& why)
{
    rosterRead = false;
    const QString text = u"クラスのサーバーに接続できませんでした。"_s;
    rosterMessage->setText(
        keptWords(text + u"\n"_s + adultText(why) + u"\n「読み直す」で、もう一度接続します。"_s));
    rosterPart->setCurrentWidget(rosterMessage);
    factsMessage->setText(QString());
    factsPart->setCurrentWidget(factsMessage);
    knownMessage->setText(QString());
    knownPart->setCurrentWidget(knownMessage);
    updateCommands();
    // Told over the view, once it is on the screen: from the constructor
    // it would be a box with nothing behind it.
    QTimer::singleShot(0, this, [this, text, why] { tellProblem(text, why); });
}

void ClassView::reload()
{
    if (!opened) {
        // Started while the server was away: it is reached first.
        rosterMessage->setText(Loading);
        rosterPart->setCurrentWidget(rosterMessage);
        await(records.open(), [this](const Done& failed) {
            opened = !failed;
            if (opened)
                reload();
            else
                showUnopened(*failed);
        });
        return;
    }
    rosterRead = false;
    rosterMessage->setText(Loading);
    rosterPart->setCurrentWidget(rosterMessage);
    await(records.roster(desk.now().date()), [this](const Outcome<QList<ClassChild>>& read) {
        rosterRead = read.ok();
        roster = rosterRead ? *read : QList<ClassChild>();
        table->fill(roster, shownKind);
        updateCommands();
        if (rosterRead) {
            rosterPart->setCurrentWidget(table);
            return;
        }
        rosterMessage->setText(u"クラスの記録を読めませんでした。"_s);
        tellProblem(u"クラスの記録を読めませんでした。"_s, read.failure());
    });
    readFacts();
    readKnown();
}

void ClassView::setKind(Kind kind)
{
    shownKind = kind;
    kinds->button(kindNumber(kind))->setChecked(true);
    table->fill(roster, shownKind);
    readFacts();
    readKnown();
}

void ClassView::readFacts()
{
    const int asked = ++factsAsked;
    const Kind kind = shownKind;
    factsMessage->setText(Loading);
    factsPart->setCurrentWidget(factsMessage);
    await(records.facts(kind, 10), [this, asked, kind](const Outcome<QList<FactStat>>& met) {
        if (asked != factsAsked)
            return;
        if (!met) {
            factsMessage->setText(u"苦手な問題を読めませんでした。"_s);
            return;
        }
        facts->setFacts(kind, *met);
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
        [this, child](const Outcome<ChildSheets>& read) {
            if (!read) {
                tellProblem(child.name + u"さんの記録を読めませんでした。"_s, read.failure());
                return;
            }
            std::unique_ptr<ChildCopy> sheets = read->reader();
            ChildCopy* copy = sheets.get();
            // On the view's kind, unless the child never did it.
            const Kind kind = kindPractised(*copy, child.id, shownKind);
            auto* window
                = new RecordsWindow(classChildRecords(std::move(sheets), child), kind, desk, this);
            window->setAttribute(Qt::WA_DeleteOnClose);
            // Erased on the server in the background; the window waits for
            // the answer, unless it has closed by then, and its copy goes
            // too.
            window->setClearCommand([this, window, copy](qint64 id, const auto& done) {
                whenAnswered(records.clearSheets(id), window, [copy, done](const Done& failed) {
                    if (failed) {
                        done(RecordsCleared{std::nullopt,
                            adultText(*failed)
                                + (failed->detail.isEmpty() ? QString()
                                                            : u"\r\n\r\n"_s + failed->detail)});
                        return;
                    }
                    copy->forget();
                    done(RecordsCleared{0});
                });
            });
            window->show();
            Q_EMIT recordsOpened(window);
        });
}

template <typename Keep>
void ClassView::askName(const QString& title, const QString& name, qint64 except, Keep keep)
{
    // Children told apart by their numbers may share a name.
    QStringList others;
    for (const ClassChild& each : roster) {
        if (each.id != except && !records.namesShared())
            others.append(each.name);
    }
    const std::optional<QString> typed = askChildName(desk, this, title, name,
        [&others](const QString& typed) { return ChildName::check(typed, others); });
    if (!typed)
        return;
    const QString text = *typed;
    await(keep(ChildName::clean(text)),
        [this, title, text, except, keep](const Outcome<ClassRecords::Edit>& edit) {
            if (!edit) {
                tellProblem(childNotSavedText(), edit.failure());
                return;
            }
            if (*edit == ClassRecords::Edit::Done) {
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
    askName(u"児童を追加"_s, QString(), 0,
        [this](const QString& name) { return records.addChild(name); });
}

void ClassView::renameChild()
{
    const ClassChild* chosen = chosenChild();
    if (!chosen)
        return;
    const qint64 id = chosen->id;
    askName(u"名前を変更"_s, chosen->name, id,
        [this, id](const QString& name) { return records.renameChild(id, name); });
}

void ClassView::removeChild()
{
    const ClassChild* chosen = chosenChild();
    if (!chosen)
        return;
    const ClassChild child = *chosen;
    await(records.countsByKind(child.id), [this, child](const Outcome<std::array<int, 4>>& counts) {
        if (!counts) {
            tellProblem(child.name + u"さんの記録を読めませんでした。"_s, counts.failure());
            return;
        }
        const QString list = sheetCountList(*counts);
        if (ask(desk, this,
                child.name + u"さんをクラスから削除します。サーバーにある"_s + child.name
                    + u"さんの記録もすべて消え、元に戻せません。\r\n\r\n"_s + list + u"\r\n\r\n"_s,
                u"削除"_s, Desktop::Buttons::YesNoDefaultNo, Desktop::Icon::Warning)
            != Desktop::Answer::Yes)
            return;
        if (ask(desk, this, child.name + u"さんを本当に削除しますか？"_s, u"確認"_s,
                Desktop::Buttons::YesNoDefaultNo, Desktop::Icon::Warning)
            != Desktop::Answer::Yes)
            return;
        await(records.removeChild(child.id), [this, child](const Done& failed) {
            if (failed)
                tellProblem(child.name + u"さんを削除できませんでした。"_s, *failed);
            reload();
        });
    });
}

void ClassView::exportCsv()
{
    const QString folder = documentsFolder();
    // A class named "3/1" makes no folder of its own: cleaned as every file
    // name the program proposes is.
    const QString fileName = u"クラス-%1-%2.csv"_s.arg(
        fileNamePart(records.className()), desk.now().date().toString(u"yyyy-MM-dd"_s));
    const QString path = desk.saveFileName(
        this, u"CSV に書き出す"_s, QDir(folder).filePath(fileName), u"CSV (*.csv)"_s);
    if (path.isEmpty())
        return;
    await(records.writeCsv(path), [this, path](const Done& failed) {
        const QString text = u"CSV を書き出せませんでした。\r\n"_s + QDir::toNativeSeparators(path);
        // Either the file could not be written, which is all there is to
        // say, or the server did not answer.
        if (failed && failed->what == Failed::FileNotWritten)
            ask(desk, this, text, Title, Desktop::Buttons::Ok, Desktop::Icon::Warning);
        else if (failed)
            tellProblem(text, *failed);
        else
            ask(desk, this, u"CSV を書き出しました。\r\n"_s + QDir::toNativeSeparators(path), Title,
                Desktop::Buttons::Ok);
    });
}
