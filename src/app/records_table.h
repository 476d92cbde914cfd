// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/records_part.h"
#include "drill/kind.h"
#include "records/record_reader.h"

class QLabel;
class QTableView;
class SheetTableModel;

// Every stored sheet of one child in one kind, newest first: date, kind,
// time and wrong digits; 「まだ ありません」 ("tableEmpty") over it while there
// is none. The table is named "sheets".
class SheetTablePart : public RecordsPart
{
    Q_OBJECT

public:
    SheetTablePart(const RecordReader& store, QWidget* parent);

    void read(qint64 child, Kind kind);

private:
    SheetTableModel* model = nullptr;
    QTableView* table = nullptr;
    QLabel* empty = nullptr;
    bool readable = false;
};
