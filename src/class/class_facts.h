// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/failure.h"
#include "drill/known_facts.h"
#include "records/record_reader.h"

#include <QFuture>
#include <QList>

#include <array>
#include <optional>

class ClassConnection;

// How many facts one child of the class knows by heart.
struct ChildKnown
{
    qint64 child = 0; // the server's id
    int known = 0;

    bool operator==(const ChildKnown&) const = default;
};

// The facts of one kind over a class: each child's count, and for each fact
// how many of the children who practise the kind (who answered any of its
// facts) know it by heart, or were slow or wrong in its last answers.
struct ClassFacts
{
    FactGrid layout;
    QList<ChildKnown> children; // those who practise the kind, by id
    std::array<int, 100> knownBy{}; // by place on the grid
    std::array<int, 100> slowBy{};

    Kind kind() const { return layout.kind; }
    int practising() const { return int(children.size()); }
    // The child's count; none when they do not practise the kind.
    std::optional<int> knownOf(qint64 child) const;
    // The facts the class knows least, at most `count`: fewest children
    // knowing it first, then most of them slow or wrong, then in the grid's
    // reading order. None while nobody practises the kind.
    QList<FactOperands> leastKnown(int count = 10) const;
};

// The class's facts from the rows of knownOver(), one owner per child.
ClassFacts classFactsOf(Kind kind, const QList<KnownRow>& rows);

// The facts of `kind` over the class that `connection`'s class.ini names,
// each child judged by their newest KnownOverSheets sheets of the kind as a
// machine judges its own. Asked on the connection's thread; the answer, or
// why there is none, arrives through the future.
QFuture<Outcome<ClassFacts>> classFacts(ClassConnection& connection, Kind kind);
