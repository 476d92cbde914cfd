// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/finished_sheet.h"
#include "drill/kind.h"

#include <QList>

#include <array>
#include <optional>
#include <vector>

// A fact of a kind as its sheets ask it: `left` the row operand, `top` the
// column operand (for division the dividend).
struct FactOperands
{
    int left = 0;
    int top = 0;

    bool operator==(const FactOperands&) const = default;
};

// The facts of a kind laid out as a sorted board: the row operand runs down,
// the column operand across (for division the quotient), `size` of each.
// Every full sheet of the kind asks each of them once.
struct FactGrid
{
    Kind kind = Kind::Addition;
    int firstRow = 0;
    int firstColumn = 0;
    int size = 10; // 10, or 9 for multiplication and division

    int count() const { return size * size; }
    // The fact in `row` and `column`, both from 0.
    FactOperands fact(int row, int column) const;
    // Where a fact stands, as row * size + column; none for a fact the kind
    // never asks.
    std::optional<int> place(const FactOperands& fact) const;

    bool operator==(const FactGrid&) const = default;
};
FactGrid factGrid(Kind kind);

// How a child stands with one fact, judged by its newest timed answers (a
// sheet's first answer is not timed: its time runs from the start).
enum class FactState {
    NotMet, // no answer yet
    Met, // answered, but fewer than KnownAnswers timed answers, none of them slow or wrong
    Slow, // one of its newest KnownAnswers timed answers was slow or had a wrong digit
    Known, // known by heart: its newest KnownAnswers timed answers each quick and right
};

// A fact is known by heart when its newest three timed answers each came
// within three seconds with no wrong digit.
inline constexpr int KnownAnswers = 3;
inline constexpr int KnownWithinMilliseconds = 3000;
// The sheets of a kind the rule looks at, newest first: every full sheet asks
// every fact, so a few would do; ten leave room for sheets ended early.
inline constexpr int KnownOverSheets = 10;

// The state of every fact of one kind.
class KnownFacts
{
public:
    KnownFacts()
        : KnownFacts(Kind::Addition)
    { }
    explicit KnownFacts(Kind kind);

    Kind kind() const { return grid.kind; }
    const FactGrid& layout() const { return grid; }
    // Facts off the kind's grid are left out.
    void set(const FactOperands& fact, FactState state);
    FactState state(const FactOperands& fact) const;
    FactState stateAt(int row, int column) const;
    // How many are known by heart, out of outOf(): 100, or 81 for
    // multiplication and division.
    int known() const;
    int outOf() const { return grid.count(); }
    // Whether any fact was answered at all.
    bool anyMet() const;

    bool operator==(const KnownFacts&) const = default;

private:
    FactGrid grid;
    std::array<FactState, 100> states{};
};
