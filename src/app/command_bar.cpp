// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_bar.h"

#include "app/label_click.h"
#include "app/window_look.h"
#include "drill/twips.h"
#include "printing/fonts.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>

using namespace Qt::StringLiterals;

namespace {

struct ButtonDesign
{
    const char* name;
    const char16_t* caption;
    const char16_t* toolTip;
    double left, top, width, height; // twips
    double points;
    bool bold;
    QColor face;
    double tabIndex;
    bool hidden;
};

const ButtonDesign buttonDesigns[CommandBar::ButtonCount] = {
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

constexpr double RandomCheckTabIndex = 134;

} // namespace

CommandBar::CommandBar(QWidget* window)
    : QObject(window)
{
    setObjectName(u"commandBar"_s);
    buttonStyle = QStyleFactory::create(u"Fusion"_s);
    if (buttonStyle)
        buttonStyle->setParent(this);

    for (int i = 0; i < ButtonCount; ++i) {
        const ButtonDesign& design = buttonDesigns[i];
        auto* button = new QPushButton(QString::fromUtf16(design.caption), window);
        button->setObjectName(QLatin1StringView(design.name));
        button->setToolTip(QString::fromUtf16(design.toolTip));
        button->setGeometry(Twips::rect(design.left, design.top, design.width, design.height));
        button->setFont(Fonts::gothic(design.points, design.bold));
        if (buttonStyle)
            button->setStyle(buttonStyle);
        WindowLook::setFace(button, design.face);
        button->setAutoDefault(false);
        button->setHidden(design.hidden);
        connect(button, &QPushButton::clicked, this, [this, i] { Q_EMIT triggered(Command(i)); });
        buttons[i] = button;
    }

    auto* aboutPicture = new QLabel(window);
    aboutPicture->setObjectName(u"aboutPicture"_s);
    aboutPicture->setToolTip(u"about"_s);
    aboutPicture->setGeometry(Twips::rect(9600, 8520, 480, 480));
    aboutPicture->setPixmap(WindowLook::pngPixmap(u":/varolin/about.png"_s));
    aboutPicture->setAlignment(Qt::AlignCenter);
    connect(new LabelClick(aboutPicture), &LabelClick::clicked, this,
        [this] { Q_EMIT triggered(About); });

    auto* randomLabel = new QLabel(u"ランダム"_s, window);
    randomLabel->setObjectName(u"randomLabel"_s);
    randomLabel->setGeometry(Twips::rect(9240, 7320, 975, 375));
    randomLabel->setFont(Fonts::gothic(12));
    randomLabel->hide();

    randomCheck = new QCheckBox(window);
    randomCheck->setObjectName(u"randomCheck"_s);
    randomCheck->setAccessibleName(randomLabel->text());
    randomCheck->setGeometry(Twips::rect(8760, 7320, 255, 255));
    randomCheck->hide();
}

void CommandBar::addTabStops(std::map<double, QWidget*>& stops) const
{
    for (int i = 0; i < ButtonCount; ++i)
        stops[buttonDesigns[i].tabIndex] = buttons[i];
    stops[RandomCheckTabIndex] = randomCheck;
}

void CommandBar::showRunning(bool running)
{
    for (const int i : {SwitchKind, Start, Stop, End, NewNumbers, Records}) {
        const bool enabled = (i == Stop) == running;
        QPushButton* button = buttons[i];
        button->setEnabled(enabled);
        QFont font = button->font();
        font.setBold(enabled);
        button->setFont(font);
    }
}

void CommandBar::setPrintable(bool printable)
{
    buttons[Print]->setEnabled(printable);
    buttons[ScreenCopy]->setEnabled(printable);
}

void CommandBar::focusStart()
{
    buttons[Start]->setFocus();
}
