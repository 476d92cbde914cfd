// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include "app/about_text.h"
#include "app/answer_cell.h"
#include "app/child_chooser.h"
#include "app/children_commands.h"
#include "app/date_text.h"
#include "app/desktop.h"
#include "app/records_view.h"
#include "drill/arithmetic.h"
#include "drill/drill.h"
#include "drill/twips.h"
#include "printing/fonts.h"
#include "scores/best_times.h"
#include "scores/time_text.h"
#include "scores/verdict.h"
#include "settings/window_place.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>

#include <algorithm>
#include <map>

using namespace Qt::StringLiterals;

namespace {

// A picture of our own resources. Named as PNG, it is read by Qt's own
// reader: left to guess, the reader loads every image format plugin
// installed (and the JPEG library with them) before the window can show.
QPixmap pngPixmap(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

// What a child reads when the server will not have this machine.
QString notInClassText()
{
    return u"この コンピューターは クラスに つながりません。\rせんせいに しらせてください。"_s;
}

// Why the class server could not be used, as a child or a teacher is told.
QString classRefusedText(ClassProblem problem)
{
    switch (problem) {
    case ClassProblem::PasswordFileMissing:
        return u"クラスの パスワードの ファイルが ありません。"_s;
    case ClassProblem::PasswordFileUnreadable:
        return u"クラスの パスワードの ファイルが よめません。"_s;
    case ClassProblem::PasswordFileExposed:
        return u"クラスの パスワードの ファイルを だれでも よめます。\rせんせいに しらせて ください。"_s;
    case ClassProblem::LoginRefused:
    case ClassProblem::PrivilegeRefused:
        // Nothing the child typed: this machine's login. The server's own
        // words went to the standard error.
        return notInClassText();
    case ClassProblem::NewerServer:
        return u"クラスの サーバーが この Varolin より あたらしく なっています。\rVarolin を あたらしく してください。"_s;
    case ClassProblem::None:
    case ClassProblem::Unreachable:
    case ClassProblem::Failed:
        break;
    }
    return u"クラスの サーバーに きろくを おくれませんでした。"_s;
}

// Design values of the window, in twips.
constexpr double ClientWidth = 10740;
constexpr double ClientHeight = 9585;
constexpr double CornerLeft = 120;
constexpr double CornerTop = 120;
constexpr double CellSize = 700;
constexpr double CellPitch = 760; // a cell and the gap after it

enum Command {
    SwitchKind,
    Start,
    Stop,
    End,
    NewNumbers,
    Print,
    ScreenCopy,
    Mode,
    Records,
    Readme,
    CommandCount
};

struct ButtonDesign
{
    const char* name;
    const char16_t* caption;
    const char16_t* toolTip;
    double left, top, width, height;
    double points;
    bool bold;
    QColor face;
    double tabIndex;
    bool hidden;
};

const ButtonDesign buttonDesigns[CommandCount] = {
    {"switchKindButton", u"きりかえ", u"たしざん、ひきざん、かけざん、わりざんを切りかえます。",
        8640, 840, 1695, 495, 14.25, true, QColor(192, 255, 255), 121, false},
    {"startButton", u"はじめ", u"はじめます", 8640, 2520, 1695, 495, 14.25, true,
        QColor(192, 192, 255), 122, false},
    {"stopButton", u"やめる", u"ちゅうだんします", 8760, 5640, 1455, 495, 14.25, true,
        QColor(255, 192, 255), 123, false},
    {"endButton", u"おわる", u"Varolinをおわりにします", 8760, 6360, 1455, 495, 14.25, true,
        QColor(255, 192, 192), 124, false},
    {"newNumbersButton", u"すうじ", u"数字をへんこう", 8640, 1680, 1695, 495, 14.25, true,
        QColor(255, 255, 192), 127, false},
    {"printButton", u"いんさつ", u"いんさつします", 120, 8640, 1215, 495, 8.25, false,
        QColor(Qt::white), 128, true},
    {"screenCopyButton", u"がめんコピー", u"いんさつします", 120, 8880, 1215, 375, 8.25, false,
        QColor(Qt::white), 131, true},
    {"modeButton", u"モード", u"ハイスコアモード、リミットモードを切りかえます", 8760, 7800, 1335,
        375, 12, false, QColor(192, 192, 192), 132, true},
    // In the empty part of the right column, in the rhythm of the buttons
    // above it, and next after すうじ for Tab.
    {"recordsButton", u"きろく", u"これまでの きろくを みます", 8640, 3360, 1695, 495, 14.25, true,
        QColor(255, 224, 192), 127.5, false},
    {"readmeButton", u"？", u"ヘルプ", 8760, 8640, 375, 375, 9.75, false, QColor(192, 255, 192),
        130, false},
};

const QColor Black(0, 0, 0);
const QColor Red(255, 0, 0);

const QColor WindowFace(240, 240, 240);

// The design's colours are the window's own, whatever the desktop's theme.
// Text colours are set for the active and inactive groups only, so that a
// disabled control keeps the style's greyed look.
void setColour(QPalette& palette, QPalette::ColorRole role, const QColor& colour)
{
    palette.setColor(QPalette::Active, role, colour);
    palette.setColor(QPalette::Inactive, role, colour);
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    setColour(palette, QPalette::WindowText, colour);
    setColour(palette, QPalette::Text, colour);
    widget->setPalette(palette);
}

// A button's face keeps its colour when disabled; only the caption greys.
void setFace(QPushButton* button, const QColor& face)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::All, QPalette::Button, face);
    setColour(palette, QPalette::ButtonText, Black);
    button->setPalette(palette);
}

QLabel* boardLabel(QWidget* parent, const QString& name, const QRect& place)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// A text label of the window's lower and right parts.
QLabel* textLabel(QWidget* parent, const QString& name, const QString& toolTip, const QRect& place,
    const QColor& colour, Qt::Alignment alignment)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setToolTip(toolTip);
    label->setGeometry(place);
    label->setFont(Fonts::gothic(9.75));
    setTextColour(label, colour);
    label->setAlignment(alignment);
    return label;
}

constexpr int BackspaceCode = 8;

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
    setWindowIcon(QIcon(pngPixmap(u":/varolin/varolin-32.png"_s)));
    setFont(Fonts::gothic(11.25, true));
    setFixedSize(Twips::toPixels(ClientWidth), Twips::toPixels(ClientHeight));
    // The board's colours, inherited by every control: black on the window's
    // face, white cells; a locked cell keeps its answer black on the face.
    QPalette palette = this->palette();
    palette.setColor(QPalette::All, QPalette::Window, WindowFace);
    setColour(palette, QPalette::WindowText, Black);
    setColour(palette, QPalette::Base, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Base, WindowFace);
    palette.setColor(QPalette::All, QPalette::Text, Black);
    setPalette(palette);
    setAutoFillBackground(true);

    // Buttons keep their face colours whatever the desktop's style is.
    buttonStyle = QStyleFactory::create(u"Fusion"_s);
    if (buttonStyle)
        buttonStyle->setParent(this);

    std::map<double, QWidget*> tabOrder;

    // The operands and the cells take their font from a plain layer under
    // them, the size of the window so that their places read as the
    // window's: made with the font they keep, a hundred cells lay out their
    // text once instead of once more for a font of their own.
    auto* board = new QWidget(this);
    board->setObjectName(u"board"_s);
    board->setGeometry(rect());
    board->setFont(Fonts::gothic(24));

    const int cornerLeft = Twips::toPixels(CornerLeft);
    const int cornerTop = Twips::toPixels(CornerTop);
    const int size = Twips::toPixels(CellSize);
    signLabel = boardLabel(board, u"signLabel"_s, QRect(cornerLeft, cornerTop, size, size));
    setTextColour(signLabel, QColor(0, 0, 255));
    for (int i = 0; i < 10; ++i) {
        rowHeaders[i] = boardLabel(board, u"rowHeader%1"_s.arg(i),
            QRect(cornerLeft, Twips::gridPixels(CornerTop, CellPitch, i + 1), size, size));
        columnHeaders[i] = boardLabel(board, u"columnHeader%1"_s.arg(i),
            QRect(Twips::gridPixels(CornerLeft, CellPitch, i + 1), cornerTop, size, size));
    }

    for (int cell = 0; cell < 100; ++cell) {
        auto* box = new AnswerCell(board);
        box->setObjectName(u"answerCell%1"_s.arg(cell));
        box->setGeometry(Twips::gridPixels(CornerLeft, CellPitch, cell % 10 + 1),
            Twips::gridPixels(CornerTop, CellPitch, cell / 10 + 1), size, size);
        box->setEnabled(false);
        box->setContextMenuPolicy(Qt::NoContextMenu);
        box->installEventFilter(this);
        answerCells[cell] = box;
        tabOrder[21 + cell] = box;
    }

    for (int i = 0; i < CommandCount; ++i) {
        const ButtonDesign& design = buttonDesigns[i];
        auto* button = new QPushButton(QString::fromUtf16(design.caption), this);
        button->setObjectName(QLatin1StringView(design.name));
        button->setToolTip(QString::fromUtf16(design.toolTip));
        button->setGeometry(Twips::rect(design.left, design.top, design.width, design.height));
        button->setFont(Fonts::gothic(design.points, design.bold));
        if (buttonStyle)
            button->setStyle(buttonStyle);
        setFace(button, design.face);
        button->setAutoDefault(false);
        button->setHidden(design.hidden);
        connect(button, &QPushButton::clicked, this, [this, i] { commandClicked(i); });
        commandButtons[i] = button;
        tabOrder[design.tabIndex] = button;
    }

    clockDisplay = new QLineEdit(u"0:00"_s, this);
    clockDisplay->setObjectName(u"clockDisplay"_s);
    clockDisplay->setToolTip(u"じかん"_s);
    clockDisplay->setAccessibleName(u"じかん"_s);
    clockDisplay->setGeometry(Twips::rect(5880, 8640, 2535, 420));
    clockDisplay->setFont(Fonts::gothic(15.75, true));
    setTextColour(clockDisplay, Red);
    clockDisplay->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The clock is for reading, not typing.
    clockDisplay->setReadOnly(true);
    clockDisplay->setContextMenuPolicy(Qt::NoContextMenu);
    tabOrder[125] = clockDisplay;

    bestTimeLabel = textLabel(this, u"bestTimeLabel"_s, u"ハイスコア"_s,
        Twips::rect(3720, 8760, 1935, 255), QColor(255, 0, 255), Qt::AlignRight | Qt::AlignVCenter);

    // In the free space left of the best time: who is practising, once
    // there are two or more children.
    childLabel = textLabel(this, u"childLabel"_s, u"れんしゅうする ひとを かえる"_s,
        Twips::rect(120, 8760, 3480, 255), QColor(0, 0, 255), Qt::AlignRight | Qt::AlignVCenter);
    childLabel->setCursor(Qt::PointingHandCursor);
    childLabel->installEventFilter(this);
    childLabel->hide();

    dateLabel = textLabel(this, u"dateLabel"_s, u"ハイスコアの表示＆クリア"_s,
        Twips::rect(8640, 240, 1215, 495), QColor(0, 0, 255), Qt::AlignLeft | Qt::AlignTop);
    dateLabel->setCursor(Qt::PointingHandCursor);
    dateLabel->installEventFilter(this);

    aboutPicture = new QLabel(this);
    aboutPicture->setObjectName(u"aboutPicture"_s);
    aboutPicture->setToolTip(u"about"_s);
    aboutPicture->setGeometry(Twips::rect(9600, 8520, 480, 480));
    aboutPicture->setPixmap(pngPixmap(u":/varolin/about.png"_s));
    aboutPicture->setAlignment(Qt::AlignCenter);
    aboutPicture->setCursor(Qt::PointingHandCursor);
    aboutPicture->installEventFilter(this);

    randomLabel = new QLabel(u"ランダム"_s, this);
    randomLabel->setObjectName(u"randomLabel"_s);
    randomLabel->setGeometry(Twips::rect(9240, 7320, 975, 375));
    randomLabel->setFont(Fonts::gothic(12));
    randomLabel->hide();

    randomCheck = new QCheckBox(this);
    randomCheck->setObjectName(u"randomCheck"_s);
    randomCheck->setAccessibleName(randomLabel->text());
    randomCheck->setGeometry(Twips::rect(8760, 7320, 255, 255));
    randomCheck->hide();
    tabOrder[134] = randomCheck;

    clockTimer = new QTimer(this);
    clockTimer->setObjectName(u"clockTimer"_s);
    clockTimer->setTimerType(Qt::PreciseTimer);
    clockTimer->setSingleShot(true);
    connect(clockTimer, &QTimer::timeout, this, &MainWindow::refreshClock);

    auto* print = new QShortcut(QKeySequence::Print, this);
    connect(print, &QShortcut::activated, this, &MainWindow::showPrintDialog);

    QWidget* previous = nullptr;
    for (const auto& [index, widget] : tabOrder) {
        if (previous)
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

    const QList<Practice::Report> problems = practice.begin(windowTwips());
    practice.setWindowPlace([this] { return windowTwips(); });
    applySettings();
    drill = &practice.drill();
    connectDrill();
    // The verdict is shown once the drill's step has unwound, never in a
    // box's own event loop inside it.
    connect(&practice, &Practice::sheetFiled, this, &MainWindow::showResult, Qt::QueuedConnection);
    connect(&practice, &Practice::problem, this, &MainWindow::tellProblem);
    connect(&practice, &Practice::childrenChanged, this, &MainWindow::showChild);
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
    // Told once the window is on the screen; the records are opened then
    // when the chooser is wanted.
    QTimer::singleShot(0, this, [this, problems] {
        for (const Practice::Report& report : problems)
            tellProblem(report);
        if (!practice.expectsSeveralChildren())
            return;
        practice.records();
        if (practice.hasSeveralChildren())
            openChooser();
    });
    // A class whose roster came only now, from the server: the child at
    // the board is asked for, once.
    connect(&practice, &Practice::childrenChanged, this, [this] {
        if (practice.inClass() && !chooserOffered && practice.hasSeveralChildren())
            openChooser();
    });
    printRandom.seed(desktop.randomSeed() ^ 0x9e3779b9u);

    showKind();
    showOperands();
    applyButtonPattern(false);

    // Each half reads the clock on its own.
    const QString year = yearText(desktop.now().date());
    dateLabel->setText(year + u"\r\n"_s + dayText(desktop.now().date()));
}

void MainWindow::connectDrill()
{
    connect(drill, &Drill::kindChanged, this, &MainWindow::showKind);
    connect(drill, &Drill::operandsChanged, this, &MainWindow::showOperands);
    connect(drill, &Drill::cellTextChanged, this, [this](int cell, const QString& text) {
        // setText leaves the caret after the digits.
        answerCells[cell]->setText(text);
    });
    connect(drill, &Drill::openCellChanged, this, &MainWindow::showOpenCell);
    connect(drill, &Drill::phaseChanged, this, &MainWindow::showPhase);
    connect(drill, &Drill::wrongDigit, this, [this] { desktop.beep(); });
}

void MainWindow::showKind()
{
    bestTimeLabel->setText(highScoreText(practice.bestTime()));
    signLabel->setText(kindSign(drill->kind()));
}

void MainWindow::showOperands()
{
    const Sheet& sheet = drill->sheet();
    for (int i = 0; i < 10; ++i) {
        rowHeaders[i]->setText(QString::number(sheet.rowOperand(i)));
        columnHeaders[i]->setText(QString::number(drill->shownColumnOperand(i)));
    }
    // Multiplication and division leave the tenth row and column out, and
    // the answer sheet prints only a full board.
    const bool fullBoard = sheet.size() == 10;
    rowHeaders[9]->setEnabled(fullBoard);
    columnHeaders[9]->setEnabled(fullBoard);
    commandButtons[Print]->setEnabled(fullBoard);
    commandButtons[ScreenCopy]->setEnabled(fullBoard);
    updateAccessibleNames();
}

void MainWindow::showOpenCell(int previous, int cell)
{
    if (previous != Drill::NoCell)
        highlightCell(previous, false);
    // The next cell takes the focus before the answered one is locked, so
    // that the focus (and a screen reader) never passes through another
    // control on the way.
    if (cell != Drill::NoCell) {
        highlightCell(cell, true);
        answerCells[cell]->setEnabled(true);
        answerCells[cell]->setFocus();
    }
    // The last cell keeps its answer and the focus while the verdict is
    // read; the board is locked when the drill returns to idle.
    if (previous != Drill::NoCell && cell != Drill::NoCell)
        answerCells[previous]->setEnabled(false);
}

void MainWindow::showPhase()
{
    switch (drill->phase()) {
    case Drill::Phase::Running:
        applyButtonPattern(true);
        // The time shown stays until the first second has passed.
        clockTimer->start(drill->millisecondsToNextSecond());
        break;
    case Drill::Phase::Paused:
        clockTimer->stop();
        break;
    case Drill::Phase::Finished:
        clockTimer->stop();
        clockDisplay->setText(clockText(drill->elapsedSeconds()));
        break;
    case Drill::Phase::Idle:
        clockTimer->stop();
        applyButtonPattern(false);
        for (AnswerCell* box : answerCells)
            box->setEnabled(false);
        for (int i = 0; i < 10; ++i) {
            setHeaderRed(rowHeaders[i], false);
            setHeaderRed(columnHeaders[i], false);
        }
        commandButtons[Start]->setFocus();
        break;
    }
}

void MainWindow::refreshClock()
{
    clockDisplay->setText(clockText(drill->elapsedSeconds()));
    if (drill->phase() == Drill::Phase::Running)
        clockTimer->start(drill->millisecondsToNextSecond());
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
    ask(desktop, this, result.message.prompt, result.message.title, Desktop::Buttons::Ok);
    toldLater = nullptr;
    // The old best time stays on show while the child reads the verdict.
    bestTimeLabel->setText(highScoreText(result.bestSeconds));
    drill->clearBoard();
    for (const Practice::Report& report : problems)
        tellProblem(report);
}

void MainWindow::tellProblem(const Practice::Report& report)
{
    if (toldLater) {
        toldLater->append(report);
        return;
    }
    const QString path = QDir::toNativeSeparators(report.path);
    QString title = u"ほぞん できません"_s;
    QString prompt;
    switch (report.problem) {
    case Practice::Problem::SettingsUnusable:
        prompt
            = u"せっていの ファイルが つかえません。\rハイスコアは こんかい かぎりに なります。"_s;
        break;
    case Practice::Problem::SettingsNotSaved:
        prompt = u"ハイスコアの きろくを ほぞん できませんでした。"_s;
        break;
    case Practice::Problem::SettingsNotSavedLastTime:
        prompt = u"まえに おわった ときの ハイスコアを ほぞん できませんでした。"_s;
        break;
    case Practice::Problem::RecordsMovedAside:
        title = u"きろく"_s;
        prompt
            = u"きろくの ファイルが こわれていました。\rもとの ファイルは つぎの なまえで のこして、あたらしい きろくを はじめます。"_s;
        break;
    case Practice::Problem::SheetNotKept:
        title = u"きろく"_s;
        prompt = u"きろくを ほぞん できません。\rドリルは このまま つづけられます。"_s;
        break;
    case Practice::Problem::ClassConfigUnusable:
        title = u"クラス"_s;
        prompt
            = u"クラスの せっていの ファイルが つかえません。\rきろくは この コンピューターだけに のこします。"_s;
        break;
    case Practice::Problem::ClassRefused:
        title = u"クラス"_s;
        prompt = classRefusedText(report.classProblem)
            + u"\rきろくは この コンピューターに のこります。\rドリルは このまま つづけられます。"_s;
        break;
    case Practice::Problem::ClassUnknown:
        title = u"クラス"_s;
        prompt = notInClassText() + u"\rきろくは この コンピューターに のこります。"_s;
        break;
    case Practice::Problem::SheetsRefused:
        title = u"クラス"_s;
        prompt
            = u"クラスに いない こどもの きろくは おくれません。\rきろくは この コンピューターに のこります。\rせんせいに しらせてください。"_s;
        break;
    }
    ask(desktop, this, prompt + u"\r\r"_s + path, title, Desktop::Buttons::Ok,
        Desktop::Icon::Warning);
}

void MainWindow::commandClicked(int index)
{
    switch (index) {
    case SwitchKind:
        practice.switchKind();
        break;
    case Start: {
        // With one child known the records open with the first sheet, here
        // rather than between its last answer and the verdict.
        const bool several = practice.hasSeveralChildren();
        practice.records();
        // Records brought from elsewhere may hold children this machine did
        // not know of: who practises comes first.
        if (!several && practice.hasSeveralChildren()) {
            openChooser();
            break;
        }
        desktop.prepareBeep();
        drill->start();
        break;
    }
    case Stop:
        stopCommand();
        break;
    case End:
        endCommand();
        break;
    case NewNumbers:
        drill->newNumbers();
        break;
    case Print:
        printCommand();
        break;
    case ScreenCopy:
        screenCopyCommand();
        break;
    case Records:
        showRecords();
        break;
    case Readme:
        openReadme();
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
    if (ask(desktop, this, u"やめますか？"_s, u"かくにん"_s, Desktop::Buttons::YesNo)
        == Desktop::Answer::Yes) {
        drill->abandon();
        clockDisplay->setText(u"0:00"_s);
    } else {
        drill->resume();
        if (drill->openCell() != Drill::NoCell)
            answerCells[drill->openCell()]->setFocus();
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
        commandButtons[Start]->setFocus();
}

void MainWindow::saveAndEnd()
{
    clockTimer->stop();
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
    clockTimer->stop();
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
    const QString list = bestTimesList(practice.bestTimes());
    // Whose best times they are, once that is a question.
    const QString whose
        = practice.hasSeveralChildren() ? practice.child().name + u"： "_s : QString();
    if (ask(desktop, this, whose + clearQuestion(list), u"ハイスコア"_s,
            Desktop::Buttons::YesNoCancel)
        != Desktop::Answer::Yes)
        return;
    if (ask(desktop, this, whose + clearConfirmation(list), u"もういちどかくにん"_s,
            Desktop::Buttons::YesNo)
        != Desktop::Answer::Yes)
        return;
    practice.clearBestTimes();
    showKind();
}

void MainWindow::showRecords()
{
    if (drill->phase() != Drill::Phase::Idle)
        return;
    if (recordsWindow) {
        recordsView->showKind(drill->kind());
        recordsView->setBestTimes(practice.bestTimes());
        recordsView->showChild(practice.child().id);
        recordsView->refresh();
        recordsView->setSheetsNotKept(practice.sheetsNotKept());
        recordsWindow->showNormal();
        recordsWindow->raise();
        recordsWindow->activateWindow();
        return;
    }
    if (!practice.records()) {
        ask(desktop, this,
            u"きろくの ファイルを ひらけません。\r\r"_s
                + QDir::toNativeSeparators(practice.recordsPath()),
            u"きろく"_s, Desktop::Buttons::Ok, Desktop::Icon::Warning);
        return;
    }
    const RecordsViewMaker make = recordsViewMaker(programFolder);
    if (!make) {
        // A module missing, damaged or of another build (an upgrade while
        // this copy runs): a fresh start finds the one that belongs to it.
        ask(desktop, this,
            u"きろくの がめんを ひらけません。\rVarolin を いちど おわりにして、もういちど はじめて ください。"_s,
            u"きろく"_s, Desktop::Buttons::Ok, Desktop::Icon::Warning);
        return;
    }
    recordsView = make(practice, drill->kind(), desktop, this);
    recordsWindow = recordsView->widget();
    recordsWindow->setAttribute(Qt::WA_DeleteOnClose);
    recordsView->setBestTimes(practice.bestTimes());
    recordsView->setSheetsNotKept(practice.sheetsNotKept());
    recordsWindow->show();
}

void MainWindow::showChild()
{
    const bool several = practice.hasSeveralChildren();
    const QString name = practice.child().name;
    childLabel->setVisible(several);
    childLabel->setText(several ? name : QString());
    childLabel->setAccessibleName(several ? u"れんしゅうする ひと： "_s + name : QString());
    setWindowTitle(several ? u"Varolin － "_s + name : u"Varolin"_s);
}

void MainWindow::openChooser()
{
    if (drill->phase() != Drill::Phase::Idle || findChild<ChildChooser*>())
        return;
    chooserOffered = true;
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
    // Help is a convenience: without the file, or without a program to show
    // it, the click simply does nothing.
    const QString path = readmePath(programFolder);
    if (QFileInfo(path).isFile())
        desktop.openFile(path);
}

void MainWindow::applyButtonPattern(bool running)
{
    for (const int i : {SwitchKind, Start, Stop, End, NewNumbers, Records}) {
        const bool enabled = (i == Stop) == running;
        QPushButton* button = commandButtons[i];
        button->setEnabled(enabled);
        QFont font = button->font();
        font.setBold(enabled);
        button->setFont(font);
    }
}

void MainWindow::setHeaderRed(QLabel* header, bool red)
{
    setTextColour(header, red ? Red : Black);
}

void MainWindow::highlightCell(int cell, bool red)
{
    setHeaderRed(rowHeaders[cell / 10], red);
    setHeaderRed(columnHeaders[cell % 10], red);
}

void MainWindow::updateAccessibleNames()
{
    static const char16_t* const operations[] = {u"たす", u"ひく", u"かける", u"わる"};
    const int kind = kindNumber(drill->kind());
    const QString operation = QString::fromUtf16(operations[kind]);

    signLabel->setAccessibleName(kindName(drill->kind()));
    for (int i = 0; i < 10; ++i) {
        rowHeaders[i]->setAccessibleName(
            u"ひだり "_s + QString::number(i + 1) + u"ばんめ: "_s + rowHeaders[i]->text());
        columnHeaders[i]->setAccessibleName(
            u"うえ "_s + QString::number(i + 1) + u"ばんめ: "_s + columnHeaders[i]->text());
    }
    for (int cell = 0; cell < 100; ++cell) {
        // The column operand comes first: the answer is top minus left, top
        // divided by left.
        answerCells[cell]->setAccessibleName(columnHeaders[cell % 10]->text() + u' ' + operation
            + u' ' + rowHeaders[cell / 10]->text() + u" の こたえ"_s);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == dateLabel || watched == aboutPicture || watched == childLabel) {
        if (!isLeftClick(static_cast<QLabel*>(watched), event))
            return QWidget::eventFilter(watched, event);
        if (watched == dateLabel)
            clearBestTimes();
        else if (watched == aboutPicture)
            showAbout();
        else
            openChooser();
        return true;
    }
    if (auto* box = qobject_cast<AnswerCell*>(watched)) {
        const auto found = std::find(answerCells.begin(), answerCells.end(), box);
        if (found != answerCells.end())
            return cellEvent(static_cast<int>(found - answerCells.begin()), event);
    }
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::isLeftClick(QLabel* label, QEvent* event)
{
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    if (type == QEvent::MouseButtonPress) {
        pressedLabel = label;
        return false;
    }
    // A press taken off the label before its release is no click, as on a
    // button.
    const bool clicked
        = pressedLabel == label && label->rect().contains(mouse->position().toPoint());
    pressedLabel = nullptr;
    return clicked;
}

bool MainWindow::cellEvent(int cell, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers commands
            = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && !commands)
            return false; // focus moves
        // A locked cell takes nothing, whoever sends it keys, and a
        // shortcut (Ctrl+4, Ctrl+V) is no answer.
        if (cell != drill->openCell() || commands)
            return true;
        if (key->key() == Qt::Key_Backspace)
            drill->type(QChar(BackspaceCode));
        else
            drill->typeText(key->text());
        return true;
    }
    case QEvent::InputMethod:
        if (cell == drill->openCell())
            drill->typeText(static_cast<QInputMethodEvent*>(event)->commitString());
        return true;
    default:
        return false;
    }
}
