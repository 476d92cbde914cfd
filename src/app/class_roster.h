// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "class/class_records.h"
#include "drill/kind.h"

#include <QTableWidget>

// The class's children in the teacher's view ("roster"), a row each: the
// name with every kind at a glance in its tool tip, the practice days of the
// last four weeks (◎ at the weekly goal), and the latest and best time and
// the trend in the chosen kind.
class ClassRoster : public QTableWidget
{
    Q_OBJECT

public:
    enum Column { Name, ThisWeek, Latest = ThisWeek + 4, Best, Trend, Columns };

    explicit ClassRoster(QWidget* parent);

    // Fills the rows again, keeping the chosen row.
    void fill(const QList<ClassChild>& roster, Kind kind);
    // The chosen row; -1 with none.
    int chosenRow() const;
};
