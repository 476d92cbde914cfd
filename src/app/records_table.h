// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/records_part.h"
#include "records/record_reader.h"

class QTableView;
class SheetTableModel;

// Every stored sheet of one child, newest first: date, kind, time and wrong
// digits. The table is named "sheets".
class SheetTablePart : public RecordsPart
{
    Q_OBJECT

public:
    SheetTablePart(RecordReader& store, QWidget* parent);

    void read(qint64 child);
    // Read, with at least one sheet.
    bool hasSheets() const;

private:
    SheetTableModel* model = nullptr;
    QTableView* table = nullptr;
    bool readable = false;
};
