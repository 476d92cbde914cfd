// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/records_widgets.h"

#include "app/date_text.h"
#include "app/records_text.h"
#include "drill/kind_text.h"
#include "printing/fonts.h"
#include "scores/verdict.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

// Squares draw their own colours, so they read the same on light and dark
// desktops.
const QColor Empty(255, 255, 255);
const QColor Edge(170, 170, 170);
const QColor Practised(60, 150, 60);
const QColor Quick(255, 230, 170);
const QColor Slow(200, 50, 0);
const QColor Dot(230, 0, 0);
const QColor FocusEdge(0, 0, 255);

QColor mix(const QColor& from, const QColor& to, double share)
{
    auto channel = [share](int a, int b) { return qRound(a + (b - a) * share); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
        channel(from.blue(), to.blue()));
}

// A hidden square or heading keeps its room: the map is as large for the
// nine rows of × and ÷ as for the ten of + and −, and the window's parts do
// not move when the kind changes.
void keepPlace(QWidget* widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

QLabel* headLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(Fonts::gothic(9));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

Square::Square(int side, QWidget* parent)
    : QWidget(parent)
    , side(side)
{
    setFixedSize(side, side);
    setFocusPolicy(Qt::NoFocus);
}

void Square::setLook(const QColor& fill, bool marked, bool outlined)
{
    fillColour = fill;
    dot = marked;
    outline = outlined;
    update();
}

void Square::setSign(const QString& newSign)
{
    sign = newSign;
    update();
}

void Square::setText(const QString& text)
{
    setToolTip(text);
    setAccessibleName(text);
}

void Square::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Square in the middle of its place, however the layout stretched it.
    const int drawn = std::min(width(), height());
    const QRect whole((width() - drawn) / 2, (height() - drawn) / 2, drawn, drawn);
    const QRect box = whole.adjusted(0, 0, -1, -1);
    painter.fillRect(box, fillColour.isValid() ? fillColour : Empty);
    painter.setPen(QPen(outline ? Qt::black : Edge, outline ? 2 : 1));
    painter.drawRect(outline ? box.adjusted(1, 1, 0, 0) : box);
    if (!sign.isEmpty()) {
        const QColor under = fillColour.isValid() ? fillColour : Empty;
        painter.setPen(under.lightness() < 140 ? Empty : QColor(Qt::black));
        QFont signFont = font();
        // Small enough to leave the fill in sight around it.
        signFont.setPixelSize(std::max(8, drawn * 2 / 5));
        painter.setFont(signFont);
        painter.drawText(whole, Qt::AlignCenter, sign);
    }
    if (dot) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Empty, 1));
        painter.setBrush(Dot);
        const double radius = drawn / 5.0;
        painter.drawEllipse(
            QPointF(whole.right() + 1 - radius - 2, whole.top() + radius + 2), radius, radius);
    }
    if (hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(FocusEdge, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(whole.adjusted(1, 1, -1, -1));
    }
}

void Square::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    Q_EMIT pointed(this);
}

void Square::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
    Q_EMIT pointed(this);
}

void Square::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void Square::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        Q_EMIT stepped(this, -1, 0);
        break;
    case Qt::Key_Down:
        Q_EMIT stepped(this, 1, 0);
        break;
    case Qt::Key_Left:
        Q_EMIT stepped(this, 0, -1);
        break;
    case Qt::Key_Right:
        Q_EMIT stepped(this, 0, 1);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

PracticeCalendar::PracticeCalendar(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    const QString weekdays = u"月火水木金土日"_s;
    for (int column = 0; column < 7; ++column)
        grid->addWidget(headLabel(weekdays.mid(column, 1), this), 0, column + 1);
    for (int row = 0; row < Weeks; ++row) {
        mondays[row] = headLabel({}, this);
        mondays[row]->setObjectName(u"monday%1"_s.arg(row));
        mondays[row]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(mondays[row], row + 1, 0);
    }
    grid->setColumnMinimumWidth(
        0, QFontMetrics(Fonts::gothic(9, true)).horizontalAdvance(u"▶ 12/31"_s) + 4);
    for (int i = 0; i < Weeks * 7; ++i) {
        auto* day = new Square(18, this);
        // A day still to come keeps its place in the week.
        QSizePolicy policy = day->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        day->setSizePolicy(policy);
        grid->addWidget(day, 1 + i / 7, 1 + i % 7);
        days[i] = day;
    }
    layout->addLayout(grid);

    week = new QLabel(this);
    week->setObjectName(u"thisWeek"_s);
    week->setFont(Fonts::gothic(14.25, true));
    layout->addSpacing(12);
    layout->addWidget(week, 0, Qt::AlignVCenter);
    layout->addStretch();
}

void PracticeCalendar::setDays(const QDate& today, const QList<QDate>& practised)
{
    const QDate first = calendarStart(today);
    const QSet<QDate> done(practised.begin(), practised.end());
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    int thisWeek = 0;
    for (int i = 0; i < Weeks * 7; ++i) {
        const QDate day = first.addDays(i);
        Square* square = days[i];
        square->setObjectName(u"day-"_s + day.toString(Qt::ISODate));
        square->setVisible(day <= today);
        const bool filled = done.contains(day);
        square->setLook(filled ? Practised : QColor(), false, day == today);
        square->setText(dayText(day) + (filled ? u"： れんしゅう した"_s : u"： やすみ"_s));
        if (filled && day >= monday && day <= today)
            ++thisWeek;
    }
    week->setText(weekText(thisWeek));
    week->setAccessibleName(week->text());
    for (int row = 0; row < Weeks; ++row) {
        const QDate rowMonday = first.addDays(7 * row);
        const bool current = rowMonday == monday;
        QLabel* label = mondays[row];
        QFont font = label->font();
        font.setBold(current);
        label->setFont(font);
        label->setText((current ? u"▶ "_s : QString()) + rowMonday.toString(u"M/d"_s));
        label->setAccessibleName(
            rowMonday.toString(u"M/d"_s) + (current ? u"から： こんしゅう"_s : u"から"_s));
    }
}

FactMap::FactMap(QWidget* parent)
    : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(1);
    corner = headLabel({}, this);
    grid->addWidget(corner, 0, 0);
    for (int i = 0; i < Size; ++i) {
        rowHeads[i] = headLabel({}, this);
        grid->addWidget(rowHeads[i], i + 1, 0);
        columnHeads[i] = headLabel({}, this);
        grid->addWidget(columnHeads[i], 0, i + 1);
        keepPlace(rowHeads[i]);
        keepPlace(columnHeads[i]);
    }
    for (int i = 0; i < Size * Size; ++i) {
        // Small enough for a 1024 x 768 screen with a panel, at the size
        // the window's layout asks for as well as at its smallest; the map
        // grows with the window, to squares more than twice as large.
        auto* square = new Square(18, this);
        square->setMaximumSize(44, 44);
        square->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        keepPlace(square);
        square->setFocusPolicy(Qt::ClickFocus);
        connect(square, &Square::pointed, this, &FactMap::point);
        connect(square, &Square::stepped, this, &FactMap::step);
        grid->addWidget(square, i / Size + 1, i % Size + 1);
        squares[i] = square;
    }
    detail = new QLabel(this);
    detail->setObjectName(u"factDetail"_s);
    detail->setMinimumHeight(detail->fontMetrics().height());
    grid->addWidget(detail, Size + 1, 0, 1, Size + 1);
    makeCurrent(squares[0]);
}

void FactMap::setFacts(Kind newKind, const QList<FactStat>& facts, const KnownFacts* known)
{
    kind = newKind;
    const FactGrid grid = factGrid(kind);
    size = grid.size;

    std::array<const FactStat*, Size * Size> byPlace{};
    double quickest = 0;
    double slowest = 0;
    bool any = false;
    for (const FactStat& fact : facts) {
        const auto place = grid.place({fact.left, fact.top});
        if (!place || fact.answers == 0)
            continue;
        byPlace[*place / size * Size + *place % size] = &fact;
        if (fact.timedAnswers == 0)
            continue;
        const double time = fact.medianMilliseconds;
        quickest = any ? std::min(quickest, time) : time;
        slowest = any ? std::max(slowest, time) : time;
        any = true;
    }
    // Shades spread over at least a second, so that a handful of
    // milliseconds between the quickest and the slowest fact does not look
    // like a weakness.
    const double spread = std::max(slowest - quickest, 1000.0);

    corner->setText(kindSign(kind));
    for (int i = 0; i < Size; ++i) {
        const bool used = i < size;
        rowHeads[i]->setVisible(used);
        columnHeads[i]->setVisible(used);
        rowHeads[i]->setText(QString::number(grid.firstRow + i));
        columnHeads[i]->setText(QString::number(grid.firstColumn + i));
    }
    for (int row = 0; row < Size; ++row) {
        for (int column = 0; column < Size; ++column) {
            Square* square = squares[row * Size + column];
            const bool used = row < size && column < size;
            square->setVisible(used);
            if (!used)
                continue;
            const FactStat* stat = byPlace[row * Size + column];
            if (stat) {
                // A fact met only as a sheet's first answer has no time to
                // shade it by.
                square->setLook(stat->timedAnswers == 0
                        ? QColor()
                        : mix(Quick, Slow, (stat->medianMilliseconds - quickest) / spread),
                    stat->wrongDigits > 0);
            } else {
                square->setLook({}, false);
            }
            const std::optional<FactState> state
                = known ? std::optional(known->stateAt(row, column)) : std::nullopt;
            square->setSign(state ? factSign(*state) : QString());
            square->setText(factDetail(kind, grid.fact(row, column), stat, words, state));
        }
    }
    if (!current->isVisibleTo(this))
        makeCurrent(squares[0]);
    detail->clear();
}

Square* FactMap::square(int row, int column) const
{
    if (row < 0 || row >= size || column < 0 || column >= size)
        return nullptr;
    return squares[row * Size + column];
}

void FactMap::point(Square* square)
{
    detail->setText(square->text());
    if (square->hasFocus())
        makeCurrent(square);
}

void FactMap::step(Square* from, int rows, int columns)
{
    const auto at = std::find(squares.begin(), squares.end(), from) - squares.begin();
    Square* to = square(at / Size + rows, at % Size + columns);
    if (to)
        to->setFocus(Qt::OtherFocusReason);
}

void FactMap::makeCurrent(Square* square)
{
    // Only one square is a Tab stop: the map is one stop in the window's
    // Tab chain, not a hundred.
    if (current)
        current->setFocusPolicy(Qt::ClickFocus);
    current = square;
    current->setFocusPolicy(Qt::StrongFocus);
}

QString factSign(FactState state)
{
    switch (state) {
    case FactState::Known:
        return u"◎"_s;
    case FactState::Met:
        return u"○"_s;
    case FactState::Slow:
        return u"△"_s;
    case FactState::NotMet:
        break;
    }
    return {};
}

QButtonGroup* addKindButtons(QWidget* owner, QBoxLayout* row, int minimumWidth)
{
    static const QString style
        = u"QPushButton { padding: 5px 14px; border: 1px solid palette(mid);"
          u" border-radius: 4px; background: palette(button);"
          u" color: palette(button-text); }"
          u" QPushButton:hover { border-color: palette(highlight); }"
          u" QPushButton:checked { background: palette(highlight);"
          u" color: palette(highlighted-text); border: 2px solid palette(text); }"_s;
    auto* kinds = new QButtonGroup(owner);
    for (Kind each : AllKinds) {
        auto* button = new QPushButton(kindName(each), owner);
        button->setObjectName(u"kind%1"_s.arg(kindNumber(each)));
        button->setCheckable(true);
        button->setFont(Fonts::gothic(12, true));
        button->setMinimumWidth(minimumWidth);
        button->setStyleSheet(style);
        button->setAutoDefault(false);
        kinds->addButton(button, kindNumber(each));
        row->addWidget(button);
    }
    return kinds;
}
