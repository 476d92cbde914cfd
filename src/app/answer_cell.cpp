// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/answer_cell.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPen>
#include <QStyle>
#include <QStyleHints>
#include <QStyleOptionFrame>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// A screen reader reads a cell as the text field it looks like: its digits
// as text and value, the caret after them, and read-only once the cell is
// locked or not yet open; its name (the problem) is set by the window.
class AccessibleCell : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit AccessibleCell(QWidget* cell)
        : QAccessibleWidget(cell, QAccessible::EditableText)
    { }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return shown();
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.readOnly = !widget()->isEnabled();
        return state;
    }

    // The text interface: the digits, with the caret after the last one
    // and nothing to select.
    QString text(int start, int end) const override { return shown().mid(start, end - start); }
    int characterCount() const override { return int(shown().size()); }
    int cursorPosition() const override { return characterCount(); }
    void setCursorPosition(int) override { }
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    QRect characterRect(int offset) const override
    {
        const QWidget* cell = widget();
        const QFontMetrics metrics = cell->fontMetrics();
        const QString digits = shown();
        const int left = (cell->width() - metrics.horizontalAdvance(digits)) / 2
            + metrics.horizontalAdvance(digits.left(offset));
        const int width = offset < digits.size() ? metrics.horizontalAdvance(digits[offset]) : 1;
        const QRect local(left, (cell->height() - metrics.height()) / 2, width, metrics.height());
        return QRect(cell->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint&) const override { return characterCount(); }
    void scrollToSubstring(int, int) override { }
    QString attributes(int, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QString shown() const { return static_cast<const AnswerCell*>(widget())->text(); }
};

QAccessibleInterface* accessibleCell(const QString& className, QObject* object)
{
    if (className == "AnswerCell"_L1 && object && object->isWidgetType())
        return new AccessibleCell(static_cast<QWidget*>(object));
    return nullptr;
}

QStyleOptionFrame frameOption(const QWidget* cell)
{
    QStyleOptionFrame option;
    option.initFrom(cell);
    option.lineWidth = cell->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, cell);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    return option;
}

} // namespace

AnswerCell::AnswerCell(QWidget* parent)
    : QWidget(parent)
{
    static const bool accessible = [] {
        QAccessible::installFactory(accessibleCell);
        return true;
    }();
    Q_UNUSED(accessible);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAttribute(Qt::WA_KeyCompression, false);
    setBackgroundRole(QPalette::Base);
}

void AnswerCell::setText(const QString& text)
{
    if (text == shown)
        return;
    const QString before = std::exchange(shown, text);
    restartCaret();
    update();
    if (QAccessible::isActive()) {
        // As a line edit tells it: the text changed, the caret moved.
        QAccessibleTextUpdateEvent changed(this, 0, before, shown);
        QAccessible::updateAccessibility(&changed);
        QAccessibleTextCursorEvent caret(this, int(shown.size()));
        QAccessible::updateAccessibility(&caret);
        QAccessibleValueChangeEvent value(this, shown);
        QAccessible::updateAccessibility(&value);
    }
}

void AnswerCell::showWrong()
{
    // About half a second: seen, and gone before the next digit.
    wrong.start(500, this);
    setAccessibleDescription(u"まちがい"_s);
    update();
}

void AnswerCell::setUnused(bool leftOut)
{
    if (leftOut == unused)
        return;
    unused = leftOut;
    setAccessibleDescription(unused ? u"つかわない ます"_s : QString());
    update();
}

QSize AnswerCell::sizeHint() const
{
    const int frame = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const QFontMetrics metrics = fontMetrics();
    return {metrics.horizontalAdvance(u"00"_s) + frame + 4, metrics.height() + frame + 2};
}

void AnswerCell::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // No frame and no face: nothing to answer here.
    if (unused)
        return;
    const QStyleOptionFrame option = frameOption(this);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    if (wrong.isActive()) {
        constexpr int Width = 4;
        painter.setPen(QPen(QColor(255, 0, 0), Width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawRect(rect().adjusted(Width / 2, Width / 2, -Width / 2, -Width / 2));
    }

    const QRect inside = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Normal : QPalette::Disabled, QPalette::Text));
    painter.drawText(inside, Qt::AlignCenter, shown);

    if (caretShown && hasFocus() && isEnabled()) {
        const QFontMetrics metrics = fontMetrics();
        const int x = inside.center().x() + (metrics.horizontalAdvance(shown) + 1) / 2;
        const int top = inside.center().y() - metrics.height() / 2;
        const int width = style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this);
        painter.fillRect(
            QRect(x, top, std::max(width, 1), metrics.height()), palette().color(QPalette::Text));
    }
}

void AnswerCell::focusInEvent(QFocusEvent* event)
{
    restartCaret();
    QWidget::focusInEvent(event);
}

void AnswerCell::focusOutEvent(QFocusEvent* event)
{
    blink.stop();
    caretShown = false;
    QWidget::focusOutEvent(event);
}

void AnswerCell::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        restartCaret();
        if (QAccessible::isActive()) {
            QAccessible::State changed;
            changed.disabled = true;
            changed.readOnly = true;
            QAccessibleStateChangeEvent state(this, changed);
            QAccessible::updateAccessibility(&state);
        }
    }
    QWidget::changeEvent(event);
}

void AnswerCell::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == wrong.timerId()) {
        wrong.stop();
        setAccessibleDescription(unused ? u"つかわない ます"_s : QString());
        update();
        return;
    }
    if (event->timerId() != blink.timerId())
        return QWidget::timerEvent(event);
    caretShown = !caretShown;
    update();
}

// The caret shows at once after each change and then blinks at the
// desktop's rate (or stays, where the desktop does not blink).
void AnswerCell::restartCaret()
{
    blink.stop();
    caretShown = hasFocus() && isEnabled();
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (caretShown && flash > 0)
        blink.start(flash / 2, this);
    update();
}
