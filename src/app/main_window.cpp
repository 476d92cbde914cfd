// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include "app/answer_cell.h"
#include "app/board_view.h"
#include "app/child_chooser.h"
#include "app/children_commands.h"
#include "app/date_text.h"
#include "app/desktop.h"
#include "app/records_view.h"
#include "app/status_line.h"
#include "app/window_look.h"
#include "drill/drill.h"
#include "drill/twips.h"
#include "printing/fonts.h"
#include "scores/best_times.h"
#include "settings/window_place.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <map>

using namespace Qt::StringLiterals;

namespace {

// Design values of the window, in twips.
constexpr double ClientWidth = 10740;
constexpr double ClientHeight = 9585;

} // namespace

MainWindow::MainWindow(
    Desktop& desktop, Practice& practice, const QString& programFolder, QWidget* parent)
    : QWidget(parent)
    , desktop(desktop)
    , practice(practice)
    , programFolder(programFolder)
    , boxes([&practice] {
        // At rest between steps: between sheets, or with a finished sheet's
        // verdict to read.
        const Drill::Phase phase = practice.drill().phase();
        return phase == Drill::Phase::Idle || phase == Drill::Phase::Finished;
    })
    , childrenCommands(std::make_unique<ChildrenCommands>(heldDesktop, practice))
{
    Fonts::installSubstitutions();
    createControls();
    startUp();
}

MainWindow::~MainWindow() = default;

QPoint MainWindow::openingTwips()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QPoint place
        = WindowPlace::centred(QSize(Twips::toPixels(ClientWidth), Twips::toPixels(ClientHeight)),
            screen->availableGeometry());
    return {WindowPlace::toTwips(place.x()), WindowPlace::toTwips(place.y())};
}

void MainWindow::createControls()
{
    setObjectName(u"mainWindow"_s);
    setWindowTitle(u"Varolin"_s);
    setWindowIcon(QIcon(WindowLook::pngPixmap(u":/varolin/varolin-32.png"_s)));
    setFont(Fonts::gothic(11.25, true));
    setFixedSize(Twips::toPixels(ClientWidth), Twips::toPixels(ClientHeight));
    // A window of one size has nothing to maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // The board's colours, inherited by every control: black on the window's
    // face, white cells; a locked cell keeps its answer black on the face.
    QPalette palette = this->palette();
    palette.setColor(QPalette::All, QPalette::Window, WindowLook::Face);
    WindowLook::setColour(palette, QPalette::WindowText, WindowLook::Black);
    WindowLook::setColour(palette, QPalette::Base, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Base, WindowLook::Face);
    palette.setColor(QPalette::All, QPalette::Text, WindowLook::Black);
    setPalette(palette);
    setAutoFillBackground(true);

    // The board first, under the other controls.
    board = new BoardView(this);
    commands = new CommandBar(this);
    connect(commands, &CommandBar::triggered, this, &MainWindow::commandClicked);
    statusLine = new StatusLine(this);
    connect(statusLine, &StatusLine::dateClicked, this, &MainWindow::clearBestTimes);
    connect(statusLine, &StatusLine::childClicked, &practice, &Practice::askForChooser);

    auto* print = new QShortcut(QKeySequence::Print, this);
    connect(print, &QShortcut::activated, this, [this] { showPrintDialog(); });

    // The cells first, then the commands and the clock by their design
    // index.
    std::map<double, QWidget*> tabStops;
    commands->addTabStops(tabStops);
    statusLine->addTabStops(tabStops);
    QWidget* previous = nullptr;
    for (QWidget* widget : board->cells()) {
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
    for (const auto& [index, widget] : tabStops) {
        setTabOrder(previous, widget);
        previous = widget;
    }
}

void MainWindow::startUp()
{
    // A window seen for the first time opens in the middle of the screen;
    // that is also the place a new settings file records.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(WindowPlace::centred(frameGeometry().size(), screen->availableGeometry()));

    practice.setWindowPlace([this] { return windowTwips(); });
    applySettings();
    drill = &practice.drill();
    connectDrill();
    connect(&practice, &Practice::sheetFiled, this, &MainWindow::showResult);
    connect(&practice, &Practice::failed, this, &MainWindow::tellFailure);
    connect(&practice, &Practice::childrenChanged, this, &MainWindow::showChild);
    connect(&practice, &Practice::sheetsWaitingChanged, this,
        [this] { statusLine->showLate(practice.lateSince()); });
    // The chooser opens without a loop of its own: at once, unless boxes
    // are to be read first.
    connect(&practice, &Practice::chooserWanted, this, [this] {
        if (boxes.idle())
            openChooser();
        else
            boxes.post([this] { openChooser(); });
    });
    connect(&practice, &Practice::childChosen, this, [this] {
        showChild();
        showKind();
        // The open records window follows the board.
        if (recordsWindow) {
            recordsView->setBestTimes(practice.bestTimes());
            recordsView->showChild(practice.child().id);
        }
    });
    connect(&practice, &Practice::bestTimesChanged, this, [this] {
        if (recordsWindow)
            recordsView->setBestTimes(practice.bestTimes());
    });
    // Once the window is on the screen: what reading the settings met, then
    // the chooser.
    QTimer::singleShot(0, this, [this] { practice.startUp(); });
    printRandom.seed(desktop.randomSeed() ^ 0x9e3779b9u);

    showKind();
    showOperands();
    commands->showRunning(false);

    // Each half reads the clock on its own.
    const QString year = yearText(desktop.now().date());
    statusLine->showDate(year, dayText(desktop.now().date()));
}

void MainWindow::connectDrill()
{
    board->bind(*drill);
    statusLine->bind(*drill);
    connect(drill, &Drill::kindChanged, this, &MainWindow::showKind);
    connect(drill, &Drill::operandsChanged, this, &MainWindow::showOperands);
    connect(drill, &Drill::phaseChanged, this, &MainWindow::showPhase);
    // Connected after the views: a box waits for the board to show its phase.
    connect(drill, &Drill::phaseChanged, &boxes, &BoxQueue::wake);
    connect(drill, &Drill::wrongDigit, this, [this] { desktop.beep(); });
}

void MainWindow::showKind()
{
    statusLine->showBestTime(practice.bestTime());
    board->showKind();
}

void MainWindow::showOperands()
{
    board->showOperands();
    // Only a full board is printed as an answer sheet.
    commands->setPrintable(drill->sheet().fullBoard());
}

void MainWindow::showPhase()
{
    statusLine->showPhase();
    switch (drill->phase()) {
    case Drill::Phase::Running:
        commands->showRunning(true);
        break;
    case Drill::Phase::Idle:
        commands->showRunning(false);
        board->lock();
        commands->focusStart();
        break;
    case Drill::Phase::Paused:
    case Drill::Phase::Finished:
        break;
    }
}

void MainWindow::showResult(const Practice::SheetResult& result)
{
    if (recordsWindow) {
        recordsView->refresh();
        recordsView->setSheetsNotKept(practice.sheetsNotKept());
    }
    // The verdict opens once the drill's step has unwound, never in a box's
    // own event loop inside it; what keeping the sheet met comes after it.
    boxes.post([this, result] {
        desktop.setClipboardText(result.message.clipboard);
        Desktop::Message verdict;
        verdict.prompt = result.message.prompt;
        verdict.title = result.message.title;
        desktop.showVerdict(this, verdict, board->lastLines());
        // The old best time stays on show while the child reads the verdict.
        statusLine->showBestTime(result.bestSeconds);
        practice.verdictRead();
    });
    for (const Failure& failure : result.failures)
        tellFailure(failure);
}

void MainWindow::tellFailure(const Failure& failure)
{
    boxes.post([this, failure] { showFailure(failure); });
}

void MainWindow::showFailure(const Failure& failure)
{
    const FailureText told = failureText(failure, Reader::Child);
    ask(desktop, this, told.text + u"\r\r"_s + QDir::toNativeSeparators(failure.path), told.title,
        Desktop::Buttons::Ok, Desktop::Icon::Warning, failure.detail);
}

void MainWindow::commandClicked(CommandBar::Command command)
{
    switch (command) {
    case CommandBar::SwitchKind:
        practice.switchKind();
        break;
    case CommandBar::Start:
        startCommand();
        break;
    case CommandBar::Stop:
        stopCommand();
        break;
    case CommandBar::End:
        endCommand();
        break;
    case CommandBar::NewNumbers:
        practice.newNumbers();
        break;
    case CommandBar::Print:
        printCommand();
        break;
    case CommandBar::ScreenCopy:
        screenCopyCommand();
        break;
    case CommandBar::Records:
        showRecords();
        break;
    case CommandBar::Readme:
        openReadme();
        break;
    case CommandBar::About:
        showAbout();
        break;
    default: // the mode button, hidden, does nothing
        break;
    }
}

void MainWindow::startCommand()
{
    desktop.prepareBeep();
    // What opening the records met is read first; the sheet starts after.
    if (practice.startSheet() == Practice::Start::AfterTelling)
        boxes.post([this] { practice.startSheet(); });
}

void MainWindow::stopCommand()
{
    if (!practice.askStop())
        return;
    // Yes throws the sheet under way away: Enter and Escape keep it.
    const bool giveUp = boxes.hold([this] {
        return ask(desktop, this, u"やめますか？"_s, u"かくにん"_s,
                   Desktop::Buttons::YesNoDefaultNo)
            == Desktop::Answer::Yes;
    });
    practice.answerStop(giveUp);
    if (giveUp)
        statusLine->resetClock();
    else
        board->focusOpenCell();
}

bool MainWindow::confirmEnd()
{
    return boxes.hold([this] {
        return ask(desktop, this, u"おわりにしますか？"_s, u"かくにん"_s, Desktop::Buttons::YesNo)
            == Desktop::Answer::Yes;
    });
}

void MainWindow::endCommand()
{
    if (confirmEnd())
        saveAndEnd();
    else
        commands->focusStart();
}

void MainWindow::saveAndEnd()
{
    statusLine->stopClock();
    practice.end();
    // A save that failed is told before the window goes.
    boxes.flush();
    endProgram();
}

void MainWindow::endProgram()
{
    ended = true;
    close();
    QCoreApplication::exit(0);
}

void MainWindow::endWithoutQuestion()
{
    if (ended)
        return;
    // Nothing may wait for a box now: a logout or shutdown would be held up.
    statusLine->stopClock();
    practice.endWithoutQuestion();
    endProgram();
}

void MainWindow::bringToFront()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (ended) {
        event->accept();
        return;
    }
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
        // No question while the window cannot be seen as it is, and nothing
        // written: records were kept when they were made, every sheet when it
        // was finished.
        endProgram();
        event->accept();
        return;
    }
    if (confirmEnd()) {
        saveAndEnd();
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::clearBestTimes()
{
    if (!practice.betweenSheets())
        return;
    const QString list = practice.bestTimesList();
    // Whose best times they are, once that is a question.
    const QString name = practice.nameShown();
    const QString whose = name.isEmpty() ? QString() : name + u"： "_s;
    const bool sure = boxes.hold([&] {
        return ask(desktop, this, whose + clearQuestion(list), u"ハイスコア"_s,
                   Desktop::Buttons::YesNoDefaultNo)
            == Desktop::Answer::Yes
            && ask(desktop, this, whose + clearConfirmation(list), u"もういちどかくにん"_s,
                   Desktop::Buttons::YesNoDefaultNo)
            == Desktop::Answer::Yes;
    });
    if (sure && practice.clearBestTimes())
        showKind();
}

void MainWindow::showChild()
{
    const QString name = practice.nameShown();
    statusLine->showChild(practice.hasSeveralChildren(), name, practice.child().id);
    setWindowTitle(name.isEmpty() ? u"Varolin"_s : u"Varolin － "_s + name);
}

void MainWindow::openChooser()
{
    if (findChild<ChildChooser*>())
        return;
    auto* chooser = new ChildChooser(practice, *childrenCommands, this);
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    connect(chooser, &ChildChooser::chosen, this, [this](qint64 child) {
        practice.chooseChild(child);
        // The chooser may have renamed or removed children.
        showChild();
    });
    chooser->open();
}
