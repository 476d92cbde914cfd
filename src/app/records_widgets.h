// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/records_text.h"
#include "drill/kind.h"
#include "drill/known_facts.h"
#include "records/record_store.h"

#include <QColor>
#include <QDate>
#include <QWidget>

#include <array>

class QBoxLayout;
class QButtonGroup;
class QLabel;

// One square of the calendar or the weak-facts map: a fill (none leaves it
// blank), a red dot in its corner when marked, a sign in its middle. Its
// text is both its tool tip and its accessible name.
class Square : public QWidget
{
    Q_OBJECT

public:
    explicit Square(int side, QWidget* parent = nullptr);

    void setLook(const QColor& fill, bool marked, bool outlined = false);
    // Drawn in black or white, whichever reads on the fill.
    void setSign(const QString& sign);
    void setText(const QString& text);
    QString text() const { return toolTip(); }

    QSize sizeHint() const override { return {side, side}; }

Q_SIGNALS:
    // The pointer came over the square or the focus went to it.
    void pointed(Square* square);
    // An arrow key was pressed on it: one step down (rows) and across.
    void stepped(Square* square, int rows, int columns);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int side;
    QColor fillColour;
    bool dot = false;
    bool outline = false;
    QString sign;
};

// The last eight weeks, a row a week from Monday to Sunday with today's week
// last, a square filled on every day with a sheet; each row opens with the
// date of its Monday, today's week marked; beside it this week's practice
// days against four. The squares are named "day-" and their ISO date, the
// rows' labels "monday0" (the oldest week) to "monday7", the week's count
// "thisWeek".
class PracticeCalendar : public QWidget
{
    Q_OBJECT

public:
    explicit PracticeCalendar(QWidget* parent = nullptr);

    void setDays(const QDate& today, const QList<QDate>& practised);

    static constexpr int Weeks = 8;

private:
    std::array<Square*, Weeks * 7> days{};
    std::array<QLabel*, Weeks> mondays{};
    QLabel* week = nullptr;
};

// The facts of one kind over its last sheets, a square each, shaded from
// pale (quick) to dark (slow) by average answer time, a red dot where a
// wrong digit was typed, blank where the fact has not come up; given how
// each stands, a sign for it that tells it without colour (factSign()). Arrow keys
// move between the squares; Tab enters and leaves the map at the square
// last visited. The text of the square pointed at shows in "factDetail".
class FactMap : public QWidget
{
    Q_OBJECT

public:
    explicit FactMap(QWidget* parent = nullptr);

    void setWords(Words words) { this->words = words; }
    void setFacts(Kind kind, const QList<FactStat>& facts, const KnownFacts* known = nullptr);
    // Row and column indexes from 0 on the kind's grid; null off the map.
    Square* square(int row, int column) const;

    static constexpr int Size = 10;

private:
    void point(Square* square);
    void step(Square* square, int rows, int columns);
    void makeCurrent(Square* square);

    Kind kind = Kind::Addition;
    Words words = Words::Child;
    int size = Size;
    QLabel* corner = nullptr;
    std::array<QLabel*, Size> rowHeads{};
    std::array<QLabel*, Size> columnHeads{};
    std::array<Square*, Size * Size> squares{};
    Square* current = nullptr;
    QLabel* detail = nullptr;
};

// The four kind buttons of a records window, added to `row`, one checkable
// at a time: the chosen kind a filled button in the desktop's highlight
// colour, the others plain, on light and dark desktops. Their ids are the
// kind numbers, their names "kind" and the number.
// The sign of a fact's state on the map and its key: ◎ known by heart, ○
// met, △ slow or wrong, none for a fact not met.
QString factSign(FactState state);

QButtonGroup* addKindButtons(QWidget* owner, QBoxLayout* row, int minimumWidth);
