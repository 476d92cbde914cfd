// SPDX-License-Identifier: GPL-3.0-or-later
#include "drill/known_facts.h"

#include <algorithm>
#include <map>

FactGrid factGrid(Kind kind)
{
    switch (kind) {
    case Kind::Addition:
        return {kind, 0, 0, 10};
    case Kind::Subtraction:
        return {kind, 0, 10, 10};
    case Kind::Multiplication:
    case Kind::Division:
        return {kind, 1, 1, 9};
    }
    return {};
}

FactOperands FactGrid::fact(int row, int column) const
{
    const int left = firstRow + row;
    const int across = firstColumn + column;
    return {left, kind == Kind::Division ? left * across : across};
}

std::optional<int> FactGrid::place(const FactOperands& fact) const
{
    int across = fact.top;
    if (kind == Kind::Division) {
        if (fact.left == 0 || fact.top % fact.left != 0)
            return {};
        across = fact.top / fact.left;
    }
    const int row = fact.left - firstRow;
    const int column = across - firstColumn;
    if (row < 0 || row >= size || column < 0 || column >= size)
        return {};
    return row * size + column;
}

KnownFacts::KnownFacts(Kind kind)
    : grid(factGrid(kind))
{ }

void KnownFacts::set(const FactOperands& fact, FactState state)
{
    if (const std::optional<int> at = grid.place(fact))
        states[std::size_t(*at)] = state;
}

FactState KnownFacts::state(const FactOperands& fact) const
{
    const std::optional<int> at = grid.place(fact);
    return at ? states[std::size_t(*at)] : FactState::NotMet;
}

FactState KnownFacts::stateAt(int row, int column) const
{
    if (row < 0 || row >= grid.size || column < 0 || column >= grid.size)
        return FactState::NotMet;
    return states[std::size_t(row * grid.size + column)];
}

int KnownFacts::known() const
{
    return int(std::count(states.begin(), states.end(), FactState::Known));
}

bool KnownFacts::anyMet() const
{
    return std::any_of(
        states.begin(), states.end(), [](FactState state) { return state != FactState::NotMet; });
}
