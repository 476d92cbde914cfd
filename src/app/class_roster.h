// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "class/class_facts.h"
#include "class/class_records.h"
#include "drill/kind.h"

#include <QTableWidget>

#include <array>

// The class's children in the teacher's view ("roster"), a row each in the
// order of their numbers: the number, the name with every kind at a glance
// in its tool tip, and in the chosen kind
// the practice days of the last four weeks (◎ at the weekly goal), the
// latest and best time, the trend and the facts known by heart.
class ClassRoster : public QTableWidget
{
    Q_OBJECT

public:
    enum Column { Number, Name, ThisWeek, Latest = ThisWeek + 4, Best, Trend, Known, Columns };

    explicit ClassRoster(QWidget* parent);

    // Fills the rows again, keeping the chosen row.
    void fill(const QList<ClassChild>& roster, Kind kind);
    // The facts known by heart of the class, kept for the rows filled
    // later; none while they are being read or could not be. Facts of
    // another kind than the rows show are not shown.
    void setKnown(const std::optional<ClassFacts>& facts);
    // The chosen row; -1 with none.
    int chosenRow() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The columns' widths for the viewport's width.
    void shareWidths();

    void fillKnown();

    QList<qint64> children; // by row
    Kind shownKind = Kind::Addition;
    std::optional<ClassFacts> known;
    std::array<int, Columns> baseWidths{};
    // What the longest name of the roster needs.
    int namesWidth = 0;
};
