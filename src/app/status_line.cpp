// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/status_line.h"

#include "app/label_click.h"
#include "app/window_look.h"
#include "drill/drill.h"
#include "drill/twips.h"
#include "printing/fonts.h"
#include "scores/time_text.h"
#include "scores/verdict.h"

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr double ClockTabIndex = 125;

const QString ChooseHint = u"れんしゅうする ひとを かえる"_s;

} // namespace

StatusLine::StatusLine(QWidget* window)
    : QObject(window)
{
    setObjectName(u"statusLine"_s);
    // Made empty, the line takes the window's font at once: made with its
    // text, it would lay the text out first in the desktop's default font,
    // loading a font the window never shows.
    clockDisplay = new QLineEdit(window);
    clockDisplay->setObjectName(u"clockDisplay"_s);
    clockDisplay->setToolTip(u"じかん"_s);
    clockDisplay->setAccessibleName(u"じかん"_s);
    clockDisplay->setGeometry(Twips::rect(5880, 8640, 2535, 420));
    clockDisplay->setFont(Fonts::gothic(15.75, true));
    clockDisplay->setText(u"0:00"_s);
    WindowLook::setTextColour(clockDisplay, WindowLook::Red);
    clockDisplay->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The clock is for reading, not typing.
    clockDisplay->setReadOnly(true);
    clockDisplay->setContextMenuPolicy(Qt::NoContextMenu);

    bestTimeLabel = WindowLook::textLabel(window, u"bestTimeLabel"_s, u"ハイスコア"_s,
        Twips::rect(3720, 8760, 1935, 255), QColor(255, 0, 255), Qt::AlignRight | Qt::AlignVCenter);

    // In the free space left of the best time: who is practising, once
    // there are two or more children, bolder than the line it leads and
    // centred on it.
    childLabel = WindowLook::textLabel(window, u"childLabel"_s, ChooseHint,
        Twips::rect(120, 8700, 3480, 375), WindowLook::Blue, Qt::AlignRight | Qt::AlignVCenter);
    connect(new LabelClick(childLabel), &LabelClick::clicked, this, &StatusLine::childClicked);
    childLabel->hide();

    dateLabel = WindowLook::textLabel(window, u"dateLabel"_s, u"ハイスコアの表示＆クリア"_s,
        Twips::rect(8640, 240, 1215, 495), WindowLook::Blue, Qt::AlignLeft | Qt::AlignTop);
    connect(new LabelClick(dateLabel), &LabelClick::clicked, this, &StatusLine::dateClicked);

    // Under the line of the best time, in the window's free bottom strip:
    // for a teacher walking by as much as for the child.
    lateLabel = WindowLook::textLabel(window, u"lateLabel"_s, QString(),
        Twips::rect(120, 9135, 8400, 330), WindowLook::Red, Qt::AlignLeft | Qt::AlignVCenter);
    lateLabel->setFont(Fonts::gothic(9.75, true));
    lateLabel->hide();

    clockTimer = new QTimer(this);
    clockTimer->setObjectName(u"clockTimer"_s);
    clockTimer->setTimerType(Qt::PreciseTimer);
    clockTimer->setSingleShot(true);
    connect(clockTimer, &QTimer::timeout, this, &StatusLine::refreshClock);
}

void StatusLine::bind(Drill& drill)
{
    this->drill = &drill;
}

void StatusLine::addTabStops(std::map<double, QWidget*>& stops) const
{
    stops[ClockTabIndex] = clockDisplay;
}

void StatusLine::showBestTime(int seconds)
{
    bestTimeLabel->setText(highScoreText(seconds));
}

void StatusLine::showChild(bool several, const QString& name, qint64 child)
{
    // The last time on the clock was the child's before; a child renamed
    // keeps theirs.
    if (several && child != shownChild && shownChild != -1)
        resetClock();
    shownChild = child;
    childLabel->setVisible(several);
    // As large as the name fits; a name longer than names may be is cut,
    // whole in its tool tip.
    QFont font;
    for (const double size : {12.0, 11.25, 10.5, 9.75}) {
        font = Fonts::gothic(size, true);
        if (QFontMetrics(font).horizontalAdvance(name) <= childLabel->width())
            break;
    }
    childLabel->setFont(font);
    childLabel->setText(several
            ? QFontMetrics(font).elidedText(name, Qt::ElideRight, childLabel->width())
            : QString());
    childLabel->setToolTip(several ? name + u"\n"_s + ChooseHint : ChooseHint);
    childLabel->setAccessibleName(several ? u"れんしゅうする ひと： "_s + name : QString());
}

void StatusLine::showDate(const QString& year, const QString& day)
{
    dateLabel->setText(year + u"\r\n"_s + day);
}

void StatusLine::showLate(const QDateTime& since)
{
    lateLabel->setVisible(since.isValid());
    lateLabel->setText(since.isValid()
            ? u"クラスに おくれていない きろくが あります（%1から）。せんせいに しらせてください。"_s
                  .arg(since.toString(u"M/d"_s))
            : QString());
    lateLabel->setAccessibleName(lateLabel->text());
}

void StatusLine::showPhase()
{
    switch (drill->phase()) {
    case Drill::Phase::Running:
        // The time shown stays until the first second has passed.
        clockTimer->start(drill->millisecondsToNextSecond());
        break;
    case Drill::Phase::Finished:
        clockTimer->stop();
        clockDisplay->setText(clockText(drill->elapsedSeconds()));
        break;
    case Drill::Phase::Paused:
    case Drill::Phase::Idle:
        clockTimer->stop();
        break;
    }
}

void StatusLine::resetClock()
{
    clockDisplay->setText(u"0:00"_s);
}

void StatusLine::stopClock()
{
    clockTimer->stop();
}

void StatusLine::refreshClock()
{
    clockDisplay->setText(clockText(drill->elapsedSeconds()));
    if (drill->phase() == Drill::Phase::Running)
        clockTimer->start(drill->millisecondsToNextSecond());
}
