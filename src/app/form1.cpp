#include "app/form1.h"

#include "app/date_text.h"
#include "app/desktop.h"
#include "printing/fonts.h"
#include "drill/twips.h"
#include "scores/verdict.h"
#include "settings/cinifiles.h"
#include "settings/settings_path.h"
#include "settings/window_place.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>

#include <algorithm>
#include <map>

using namespace Qt::StringLiterals;

namespace {

// Design values of the window, in twips.
constexpr double ClientWidth = 10740;
constexpr double ClientHeight = 9585;
constexpr double CellSize = 700;
constexpr double CellGap = 60;

struct ButtonDesign
{
    const char16_t* caption;
    const char16_t* toolTip;
    double left, top, width, height;
    double points;
    bool bold;
    QColor face;
    int tabIndex;
    bool hidden;
};

const ButtonDesign buttonDesigns[8] = {
    {u"きりかえ", u"たしざん、ひきざん、かけざん、わりざんを切りかえます。", 8640, 840, 1695, 495,
        14.25, true, QColor(192, 255, 255), 121, false},
    {u"はじめ", u"はじめます", 8640, 2520, 1695, 495, 14.25, true, QColor(192, 192, 255), 122,
        false},
    {u"やめる", u"ちゅうだんします", 8760, 5640, 1455, 495, 14.25, true, QColor(255, 192, 255), 123,
        false},
    {u"おわる", u"Varolinをおわりにします", 8760, 6360, 1455, 495, 14.25, true,
        QColor(255, 192, 192), 124, false},
    {u"すうじ", u"数字をへんこう", 8640, 1680, 1695, 495, 14.25, true, QColor(255, 255, 192), 127,
        false},
    {u"いんさつ", u"いんさつします", 120, 8640, 1215, 495, 8.25, false, QColor(Qt::white), 128,
        true},
    {u"がめんコピー", u"いんさつします", 120, 8880, 1215, 375, 8.25, false, QColor(Qt::white), 131,
        true},
    {u"モード", u"ハイスコアモード、リミットモードを切りかえます", 8760, 7800, 1335, 375, 12, false,
        QColor(192, 192, 192), 132, true},
};

void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

void setFace(QPushButton* button, const QColor& face)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::ButtonText, Qt::black);
    button->setPalette(palette);
}

// Copies what the board takes from the template label: font, border and
// alignment.
void takeTemplate(QLabel* from, QLabel* to)
{
    to->setFont(from->font());
    to->setFrameStyle(from->frameStyle());
    to->setAlignment(from->alignment());
}

} // namespace

Form1::Form1(Desktop& desktop, const QString& programFolder, QWidget* parent)
    : QWidget(parent)
    , desk(desktop)
    , folder(programFolder)
    , rng(desktop.randomSeed())
{
    Fonts::installSubstitutions();
    createControls();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    setWindowTitle(u"Varolin"_s);
    // From a pixmap: an icon made from a file name loads every image plugin.
    setWindowIcon(QIcon(QPixmap(u":/varolin/varolin-32.png"_s)));
    setFont(Fonts::gothic(11.25, true));
    setFixedSize(Twips::toPixels(ClientWidth), Twips::toPixels(ClientHeight));

    // Buttons keep their face colours whatever the desktop's style is.
    buttonStyle = QStyleFactory::create(u"Fusion"_s);
    if (buttonStyle)
        buttonStyle->setParent(this);

    std::map<int, QWidget*> tabOrder;

    L[0] = new QLabel(u"＋"_s, this);
    L[0]->setGeometry(Twips::rect(120, 120, 500, 500));
    L[0]->setFont(Fonts::gothic(24));
    setTextColor(L[0], QColor(0, 0, 255));
    L[0]->setFrameStyle(QFrame::Box | QFrame::Plain);
    L[0]->setAlignment(Qt::AlignCenter);
    for (int k = 1; k <= 20; ++k)
        L[k] = new QLabel(u"Label1"_s, this);

    for (int i = 0; i < 100; ++i) {
        QLineEdit* cell = new QLineEdit(this);
        cell->setEnabled(false);
        // Digits go straight to the judge: no input method, no paste, no
        // drag and drop, no context menu.
        cell->setAttribute(Qt::WA_InputMethodEnabled, false);
        cell->setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhNoPredictiveText);
        cell->setDragEnabled(false);
        cell->setAcceptDrops(false);
        cell->setContextMenuPolicy(Qt::NoContextMenu);
        cell->installEventFilter(this);
        connect(cell, &QLineEdit::textChanged, this, [this, i] { Data_Change(i); });
        Data[i] = cell;
        tabOrder[21 + i] = cell;
    }

    for (int i = 0; i < 8; ++i) {
        const ButtonDesign& design = buttonDesigns[i];
        QPushButton* button = new QPushButton(QString::fromUtf16(design.caption), this);
        button->setToolTip(QString::fromUtf16(design.toolTip));
        button->setGeometry(Twips::rect(design.left, design.top, design.width, design.height));
        button->setFont(Fonts::gothic(design.points, design.bold));
        if (buttonStyle)
            button->setStyle(buttonStyle);
        setFace(button, design.face);
        button->setAutoDefault(false);
        button->setHidden(design.hidden);
        connect(button, &QPushButton::clicked, this, [this, i] { Btn_Click(i); });
        Btn[i] = button;
        tabOrder[design.tabIndex] = button;
    }

    Text1 = new QLineEdit(u"0:00"_s, this);
    Text1->setToolTip(u"じかん"_s);
    Text1->setGeometry(Twips::rect(5880, 8640, 2535, 420));
    Text1->setFont(Fonts::gothic(15.75, true));
    setTextColor(Text1, QColor(255, 0, 0));
    Text1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The clock is for reading, not typing.
    Text1->setReadOnly(true);
    Text1->setContextMenuPolicy(Qt::NoContextMenu);
    tabOrder[125] = Text1;

    Label1 = new QLabel(u"Label1"_s, this);
    Label1->setToolTip(u"ハイスコア"_s);
    Label1->setGeometry(Twips::rect(3720, 8760, 1935, 255));
    Label1->setFont(Fonts::gothic(9.75));
    setTextColor(Label1, QColor(255, 0, 255));
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Label3 = new QLabel(u"日付"_s, this);
    Label3->setToolTip(u"ハイスコアの表示＆クリア"_s);
    Label3->setGeometry(Twips::rect(8640, 240, 1215, 495));
    Label3->setFont(Fonts::gothic(9.75));
    setTextColor(Label3, QColor(0, 0, 255));
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setCursor(Qt::PointingHandCursor);
    Label3->installEventFilter(this);

    Command1 = new QPushButton(u"？"_s, this);
    Command1->setToolTip(u"ヘルプ"_s);
    Command1->setGeometry(Twips::rect(8760, 8640, 375, 375));
    Command1->setFont(Fonts::gothic(9.75));
    if (buttonStyle)
        Command1->setStyle(buttonStyle);
    setFace(Command1, QColor(192, 255, 192));
    Command1->setAutoDefault(false);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    tabOrder[130] = Command1;

    Image1 = new QLabel(this);
    Image1->setToolTip(u"about"_s);
    Image1->setGeometry(Twips::rect(9600, 8520, 480, 480));
    Image1->setPixmap(QPixmap(u":/varolin/about.png"_s));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);

    Label2 = new QLabel(u"ランダム"_s, this);
    Label2->setGeometry(Twips::rect(9240, 7320, 975, 375));
    Label2->setFont(Fonts::gothic(12));
    Label2->hide();

    Check1 = new QCheckBox(u"Check1"_s, this);
    Check1->setGeometry(Twips::rect(8760, 7320, 255, 255));
    Check1->hide();
    tabOrder[134] = Check1;

    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(0);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);

    QWidget* previous = nullptr;
    for (const auto& [index, widget] : tabOrder) {
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
}

void Form1::Form_Load()
{
    Ini = std::make_unique<CIniFiles>();
    state.iniPath = settingsFilePath(folder);
    Ini->FileName(state.iniPath);

    // A window seen for the first time opens in the middle of the screen;
    // that is also the place a new settings file records.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(WindowPlace::centred(frameGeometry().size(), screen->availableGeometry()));
    }

    LoadSettings();
    ApplySettings();

    // L(0) is the template of the whole board.
    QLabel* corner = L[0];
    QFont cornerFont = corner->font();
    cornerFont.setPointSizeF(24);
    corner->setFont(cornerFont);
    const double cornerLeft = 120;
    const double cornerTop = 120;
    const double pitch = CellSize + CellGap;
    corner->setGeometry(Twips::rect(cornerLeft, cornerTop, CellSize, CellSize));

    for (int k = 1; k <= 10; ++k) {
        takeTemplate(corner, L[k]);
        L[k]->setGeometry(Twips::toPixels(cornerLeft), Twips::gridPixels(cornerTop, pitch, k),
            Twips::toPixels(CellSize), Twips::toPixels(CellSize));
        L[k]->setText(QString::number(k - 1));
    }
    for (int k = 11; k <= 20; ++k) {
        takeTemplate(corner, L[k]);
        L[k]->setGeometry(Twips::gridPixels(cornerLeft, pitch, k - 10), Twips::toPixels(cornerTop),
            Twips::toPixels(CellSize), Twips::toPixels(CellSize));
        L[k]->setText(QString::number(k - 11));
    }

    const double columnOrigin = cornerLeft + pitch;
    const double rowOrigin = cornerTop + pitch;
    for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 10; ++c) {
            QLineEdit* cell = Data[10 * r + c];
            cell->setFont(corner->font());
            cell->setAlignment(corner->alignment());
            cell->setGeometry(Twips::gridPixels(columnOrigin, pitch, c),
                Twips::gridPixels(rowOrigin, pitch, r), Twips::toPixels(CellSize),
                Twips::toPixels(CellSize));
            cell->setText(QString());
            cell->setEnabled(false);
        }
    }

    ClearCells();
    ShowKind();
    MakeSheet();

    applyButtonPattern(false);
    state.elapsedSeconds = 0;
    state.digitCount = 0;
    state.idle = true;

    // Each half reads the clock on its own.
    const QString year = yearText(desk.now().date());
    Label3->setText(year + u"\r\n"_s + dayText(desk.now().date()));
}

void Form1::ClearCells()
{
    for (QLineEdit* cell : Data)
        cell->setText(QString());
}

void Form1::applyButtonPattern(bool running)
{
    for (int i = 0; i <= 4; ++i) {
        const bool enabled = (i == 2) == running;
        Btn[i]->setEnabled(enabled);
        QFont font = Btn[i]->font();
        font.setBold(enabled);
        Btn[i]->setFont(font);
    }
}

void Form1::setLabelRed(int k, bool red)
{
    setTextColor(L[k], red ? QColor(255, 0, 0) : QColor(0, 0, 0));
}

void Form1::highlightCell(int cell, bool red)
{
    setLabelRed(cell / 10 + 1, red);
    setLabelRed(cell % 10 + 11, red);
}

void Form1::updateAccessibleNames()
{
    static const char16_t* const operations[] = {u"たす", u"ひく", u"かける", u"わる"};
    const int kind = state.calcKind >= 0 && state.calcKind <= 3 ? state.calcKind : 0;
    const QString operation = QString::fromUtf16(operations[kind]);

    L[0]->setAccessibleName(kindName(kind));
    for (int i = 0; i < 10; ++i) {
        L[1 + i]->setAccessibleName(
            u"ひだり "_s + QString::number(i + 1) + u"ばんめ: "_s + L[1 + i]->text());
        L[11 + i]->setAccessibleName(
            u"うえ "_s + QString::number(i + 1) + u"ばんめ: "_s + L[11 + i]->text());
    }
    for (int cell = 0; cell < 100; ++cell) {
        // The column operand comes first: the answer is top minus left, top
        // divided by left.
        Data[cell]->setAccessibleName(L[11 + cell % 10]->text() + u' ' + operation + u' '
            + L[1 + cell / 10]->text() + u" の こたえ"_s);
    }
}

QPoint Form1::normalPosition() const
{
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        return pos();
    // normalGeometry() is the client area; shift it by the frame's margin.
    const QPoint frameMargin = geometry().topLeft() - frameGeometry().topLeft();
    return normalGeometry().topLeft() - frameMargin;
}

void Form1::endProgram()
{
    ended = true;
    close();
    QCoreApplication::exit(0);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == Label3) {
            Label3_Click();
            return true;
        }
        if (watched == Image1) {
            Image1_Click();
            return true;
        }
    }
    if (auto* cell = qobject_cast<QLineEdit*>(watched)) {
        const auto found = std::find(Data.begin(), Data.end(), cell);
        if (found != Data.end())
            return cellEvent(static_cast<int>(found - Data.begin()), event);
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (ended) {
        event->accept();
        return;
    }
    bool cancel = false;
    Form_QueryUnload(cancel);
    if (cancel)
        event->ignore();
    else
        event->accept();
}
