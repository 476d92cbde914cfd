// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include "app/about_text.h"
#include "app/answer_cell.h"
#include "app/board_view.h"
#include "app/child_chooser.h"
#include "app/children_commands.h"
#include "app/date_text.h"
#include "app/desktop.h"
#include "app/readme_window.h"
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
#include <QFile>
#include <QFileInfo>
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
    , childrenCommands(std::make_unique<ChildrenCommands>(desktop, practice))
{
    Fonts::installSubstitutions();
    createControls();
    startUp();
}

MainWindow::~MainWindow() = default;

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

    // What a new settings file records, also where the desktop does not say.
    const QList<Practice::Report> problems
        = practice.begin(QPoint(WindowPlace::toTwips(pos().x()), WindowPlace::toTwips(pos().y())));
    practice.setWindowPlace([this] { return windowTwips(); });
    applySettings();
    drill = &practice.drill();
    connectDrill();
    // The verdict is shown once the drill's step has unwound, never in a
    // box's own event loop inside it.
    connect(&practice, &Practice::sheetFiled, this, &MainWindow::showResult, Qt::QueuedConnection);
    connect(&practice, &Practice::problem, this, &MainWindow::tellProblem);
    connect(&practice, &Practice::childrenChanged, this, &MainWindow::showChild);
    connect(&practice, &Practice::sheetsWaitingChanged, this,
        [this] { statusLine->showLate(practice.lateSince()); });
    connect(&practice, &Practice::chooserWanted, this, &MainWindow::openChooser);
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
    // Told once the window is on the screen, before the chooser comes.
    QTimer::singleShot(0, this, [this, problems] {
        for (const Practice::Report& report : problems)
            tellProblem(report);
        practice.startUp();
    });
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
    commands->setPrintable(drill->sheet().size() == 10);
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
    desktop.setClipboardText(result.message.clipboard);
    // One box at a time: a problem that comes while the verdict is open
    // waits for it to close.
    QList<Practice::Report> problems = result.problems;
    toldLater = &problems;
    Desktop::Message verdict;
    verdict.prompt = result.message.prompt;
    verdict.title = result.message.title;
    desktop.showVerdict(this, verdict, board->lastLines());
    toldLater = nullptr;
    // The old best time stays on show while the child reads the verdict.
    statusLine->showBestTime(result.bestSeconds);
    drill->clearBoard();
    for (const Practice::Report& report : problems)
        tellProblem(report);
}

void MainWindow::commandClicked(CommandBar::Command command)
{
    switch (command) {
    case CommandBar::SwitchKind:
        practice.switchKind();
        break;
    case CommandBar::Start:
        desktop.prepareBeep();
        practice.startSheet();
        break;
    case CommandBar::Stop:
        stopCommand();
        break;
    case CommandBar::End:
        endCommand();
        break;
    case CommandBar::NewNumbers:
        drill->newNumbers();
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

void MainWindow::stopCommand()
{
    if (!drill->isActive())
        return;
    drill->pause();
    // Yes throws the sheet under way away: Enter and Escape keep it.
    if (ask(desktop, this, u"やめますか？"_s, u"かくにん"_s, Desktop::Buttons::YesNoDefaultNo)
        == Desktop::Answer::Yes) {
        drill->abandon();
        statusLine->resetClock();
    } else {
        drill->resume();
        board->focusOpenCell();
    }
}

bool MainWindow::confirmEnd()
{
    return ask(desktop, this, u"おわりにしますか？"_s, u"かくにん"_s, Desktop::Buttons::YesNo)
        == Desktop::Answer::Yes;
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
    if (drill->phase() != Drill::Phase::Idle)
        return;
    const QString list = practice.bestTimesList();
    // Whose best times they are, once that is a question.
    const QString whose
        = practice.hasSeveralChildren() ? practice.child().name + u"： "_s : QString();
    if (ask(desktop, this, whose + clearQuestion(list), u"ハイスコア"_s,
            Desktop::Buttons::YesNoDefaultNo)
        != Desktop::Answer::Yes)
        return;
    if (ask(desktop, this, whose + clearConfirmation(list), u"もういちどかくにん"_s,
            Desktop::Buttons::YesNoDefaultNo)
        != Desktop::Answer::Yes)
        return;
    practice.clearBestTimes();
    showKind();
}

void MainWindow::showChild()
{
    const bool several = practice.hasSeveralChildren();
    const QString name = practice.child().name;
    statusLine->showChild(several, name);
    setWindowTitle(several ? u"Varolin － "_s + name : u"Varolin"_s);
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

void MainWindow::showAbout()
{
    ask(desktop, this, aboutText(), u"Varolin"_s, Desktop::Buttons::Ok, Desktop::Icon::Question);
}

void MainWindow::openReadme()
{
    // A read-me gone from beside the program is told, with where it was
    // looked for: a click that shows nothing looks like a broken button.
    const QString path = readmePath(programFolder);
    if (!QFileInfo(path).isFile()) {
        ask(desktop, this,
            u"よみもの（readme.txt）が みつかりません。\r\n"_s + QDir::toNativeSeparators(path),
            u"Varolin"_s, Desktop::Buttons::Ok, Desktop::Icon::Warning);
        return;
    }
    if (desktop.openFile(path))
        return;
    // The desktop has no program for it: shown here.
    if (auto* open = findChild<ReadmeWindow*>()) {
        open->raise();
        open->activateWindow();
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ask(desktop, this,
            u"よみもの（readme.txt）を ひらけませんでした。\r\n"_s + QDir::toNativeSeparators(path),
            u"Varolin"_s, Desktop::Buttons::Ok, Desktop::Icon::Warning);
        return;
    }
    auto* window = new ReadmeWindow(QString::fromUtf8(file.readAll()), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}
