// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/board_view.h"

#include "app/answer_cell.h"
#include "app/window_look.h"
#include "drill/arithmetic.h"
#include "drill/drill.h"
#include "drill/kind_text.h"
#include "drill/twips.h"
#include "printing/fonts.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Design values of the board, in twips.
constexpr double CornerLeft = 120;
constexpr double CornerTop = 120;
constexpr double CellSize = 700;
constexpr double CellPitch = 760; // a cell and the gap after it

constexpr int BackspaceCode = 8;

QLabel* boardLabel(QWidget* parent, const QString& name, const QRect& place)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void setHeaderRed(QLabel* header, bool red)
{
    WindowLook::setTextColour(header, red ? WindowLook::Red : WindowLook::Black);
}

} // namespace

BoardView::BoardView(QWidget* window)
    : QWidget(window)
{
    // The operands and the cells take their font from this plain layer:
    // made with the font they keep, a hundred cells lay out their text once
    // instead of once more for a font of their own.
    setObjectName(u"board"_s);
    setGeometry(window->rect());
    setFont(Fonts::gothic(24));

    const int cornerLeft = Twips::toPixels(CornerLeft);
    const int cornerTop = Twips::toPixels(CornerTop);
    const int size = Twips::toPixels(CellSize);
    signLabel = boardLabel(this, u"signLabel"_s, QRect(cornerLeft, cornerTop, size, size));
    WindowLook::setTextColour(signLabel, WindowLook::Blue);
    for (int i = 0; i < 10; ++i) {
        rowHeaders[i] = boardLabel(this, u"rowHeader%1"_s.arg(i),
            QRect(cornerLeft, Twips::gridPixels(CornerTop, CellPitch, i + 1), size, size));
        columnHeaders[i] = boardLabel(this, u"columnHeader%1"_s.arg(i),
            QRect(Twips::gridPixels(CornerLeft, CellPitch, i + 1), cornerTop, size, size));
    }

    for (int cell = 0; cell < 100; ++cell) {
        auto* box = new AnswerCell(this);
        box->setObjectName(u"answerCell%1"_s.arg(cell));
        box->setGeometry(Twips::gridPixels(CornerLeft, CellPitch, cell % 10 + 1),
            Twips::gridPixels(CornerTop, CellPitch, cell / 10 + 1), size, size);
        box->setEnabled(false);
        box->setContextMenuPolicy(Qt::NoContextMenu);
        box->installEventFilter(this);
        answerCells[cell] = box;
    }
}

void BoardView::bind(Drill& drill)
{
    this->drill = &drill;
    connect(&drill, &Drill::cellTextChanged, this, [this](int cell, const QString& text) {
        // setText leaves the caret after the digits.
        answerCells[cell]->setText(text);
    });
    connect(&drill, &Drill::openCellChanged, this, &BoardView::showOpenCell);
    connect(&drill, &Drill::wrongDigit, this, [this] {
        if (this->drill->openCell() != Drill::NoCell)
            answerCells[this->drill->openCell()]->showWrong();
    });
}

std::array<QString, 21> BoardView::captions() const
{
    std::array<QString, 21> captions;
    captions[0] = signLabel->text();
    for (int i = 0; i < 10; ++i) {
        captions[1 + i] = rowHeaders[i]->text();
        captions[11 + i] = columnHeaders[i]->text();
    }
    return captions;
}

QList<QRect> BoardView::lastLines() const
{
    const int last = drill->sheet().lastCell();
    const auto global
        = [this](const QRect& rect) { return QRect(mapToGlobal(rect.topLeft()), rect.size()); };
    return {global(rowHeaders[last / 10]->geometry().united(answerCells[last]->geometry())),
        global(columnHeaders[last % 10]->geometry().united(answerCells[last]->geometry()))};
}

void BoardView::focusOpenCell()
{
    if (drill->openCell() != Drill::NoCell)
        answerCells[drill->openCell()]->setFocus();
}

void BoardView::lock()
{
    for (AnswerCell* box : answerCells)
        box->setEnabled(false);
    for (int i = 0; i < 10; ++i) {
        setHeaderRed(rowHeaders[i], false);
        setHeaderRed(columnHeaders[i], false);
    }
}

void BoardView::showKind()
{
    signLabel->setText(kindSign(drill->kind()));
}

void BoardView::showOperands()
{
    const Sheet& sheet = drill->sheet();
    for (int i = 0; i < 10; ++i) {
        rowHeaders[i]->setText(QString::number(sheet.rowOperand(i)));
        columnHeaders[i]->setText(QString::number(drill->shownColumnOperand(i)));
    }
    // Multiplication and division leave the tenth row and column out.
    const bool fullBoard = sheet.fullBoard();
    rowHeaders[9]->setEnabled(fullBoard);
    columnHeaders[9]->setEnabled(fullBoard);
    for (int cell = 0; cell < 100; ++cell)
        answerCells[cell]->setUnused(!sheet.inPlay(cell));
    updateAccessibleNames();
}

void BoardView::showOpenCell(int previous, int cell)
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

void BoardView::highlightCell(int cell, bool red)
{
    setHeaderRed(rowHeaders[cell / 10], red);
    setHeaderRed(columnHeaders[cell % 10], red);
}

void BoardView::updateAccessibleNames()
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

bool BoardView::eventFilter(QObject* watched, QEvent* event)
{
    if (auto* box = qobject_cast<AnswerCell*>(watched); box && drill) {
        const auto found = std::find(answerCells.begin(), answerCells.end(), box);
        if (found != answerCells.end())
            return cellEvent(static_cast<int>(found - answerCells.begin()), event);
    }
    return QWidget::eventFilter(watched, event);
}

bool BoardView::cellEvent(int cell, QEvent* event)
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
