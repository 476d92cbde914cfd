// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "class/class_facts.h"

#include <QWidget>

#include <array>

class QLabel;

// The class's facts known by heart in one kind: a square per fact with the
// number of the children practising the kind who know it, the darker the
// more of them ("known-" row "-" column, from 0), the facts the class knows
// least framed; the number is the fact's, colour only repeats it. Below
// the map the ten least known, named with their counts ("leastKnown").
class ClassKnownMap : public QWidget
{
    Q_OBJECT

public:
    explicit ClassKnownMap(QWidget* parent = nullptr);

    void setFacts(const ClassFacts& facts);

private:
    QLabel* note = nullptr;
    QLabel* corner = nullptr;
    std::array<QLabel*, 10> rowHeads{};
    std::array<QLabel*, 10> columnHeads{};
    std::array<QLabel*, 100> squares{};
    QLabel* least = nullptr;
};

// A fact as the board asks it and how many of the class know it by heart:
// 「7×8（知っている子 3/28 人）」.
QString knownByText(Kind kind, const FactOperands& fact, int known, int practising);
