// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/records_table.h"

#include "app/records_text.h"
#include "drill/kind_text.h"
#include "printing/fonts.h"
#include "scores/time_text.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>

#include <array>
#include <functional>

using namespace Qt::StringLiterals;

// Every stored sheet of one child, newest first, as the table shows it. Rows are read from
// the store a batch at a time as the table is scrolled down to them, so a
// refresh after a sheet reads one batch, not every sheet ever kept; their
// texts are made when a row is drawn.
class SheetTableModel : public QAbstractTableModel
{
public:
    SheetTableModel(const RecordReader& store, QObject* parent)
        : QAbstractTableModel(parent)
        , store(store)
    { }

    // Called when a later batch cannot be read.
    std::function<void()> onUnreadable;
    // Whose sheets of which kind; set before a reload.
    qint64 child = RecordStore::FirstChild;
    Kind kind = Kind::Addition;

    // Starts again from the newest sheet; false when it cannot be read.
    bool reload()
    {
        beginResetModel();
        kept.clear();
        more = false;
        const auto batch = store.sheets(SheetRange().ofChild(child).ofKind(kind).atMost(BatchSize));
        if (batch) {
            kept = *batch;
            more = batch->size() == BatchSize;
        }
        endResetModel();
        return batch.has_value();
    }

    bool canFetchMore(const QModelIndex& parent) const override
    {
        return !parent.isValid() && more;
    }

    void fetchMore(const QModelIndex& parent) override
    {
        if (!canFetchMore(parent))
            return;
        const auto batch = store.sheets(
            SheetRange().ofChild(child).ofKind(kind).following(kept.last()).atMost(BatchSize));
        if (!batch) {
            more = false;
            if (onUnreadable)
                onUnreadable();
            return;
        }
        more = batch->size() == BatchSize;
        if (batch->isEmpty())
            return;
        beginInsertRows({}, int(kept.size()), int(kept.size() + batch->size() - 1));
        kept.append(*batch);
        endInsertRows();
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(kept.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : 4;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= kept.size())
            return {};
        const StoredSheet& sheet = kept[index.row()];
        if (role == Qt::TextAlignmentRole) {
            return index.column() >= 2 ? int(Qt::AlignRight | Qt::AlignVCenter)
                                       : int(Qt::AlignLeft | Qt::AlignVCenter);
        }
        if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
            return {};
        switch (index.column()) {
        case 0:
            return sheetDateText(sheet.finishedAt);
        case 1:
            return kindName(sheet.kind);
        case 2:
            return minutesText(sheet.seconds);
        default:
            return QString::number(sheet.wrongDigits);
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char16_t* const titles[] = {u"ひづけ", u"しゅるい", u"タイム", u"まちがい"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
            return QString::fromUtf16(titles[section]);
        return {};
    }

private:
    // More than a tall screen shows, few enough to read in a millisecond.
    static constexpr int BatchSize = 200;

    const RecordReader& store;
    QList<StoredSheet> kept;
    bool more = false;
};

SheetTablePart::SheetTablePart(const RecordReader& store, QWidget* parent)
    : RecordsPart(u"tablePart"_s, u"これまでの きろく"_s, parent)
{
    const QFont plain = Fonts::gothic(10.5);
    model = new SheetTableModel(store, this);
    model->onUnreadable = [this] { showReadable(false); };
    table = new QTableView;
    table->setObjectName(u"sheets"_s);
    table->setFont(plain);
    table->setModel(model);
    table->setAccessibleName(u"これまでの きろく"_s);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    // Tab moves on to the next part of the window, not from cell to cell.
    table->setTabKeyNavigation(false);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setFont(plain);
    table->horizontalHeader()->setStretchLastSection(true);
    // Widths from the widest texts, never from the rows: measuring twenty
    // thousand rows would cost more than the whole window.
    const QFontMetrics metrics(plain);
    const std::array<int, 4> widths = {
        metrics.horizontalAdvance(u"2026年12月30日(水) 23:59"_s) + 16,
        metrics.horizontalAdvance(u"しゅるい"_s) + 24,
        metrics.horizontalAdvance(u"10分00秒"_s) + 16,
        metrics.horizontalAdvance(u"まちがい"_s) + 24,
    };
    // Taken from the widths set, not read back: the last column stretches
    // to whatever room the table has at the time.
    int tableWidth = 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < 4; ++column) {
        table->setColumnWidth(column, widths[column]);
        tableWidth += widths[column];
    }
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setMinimumWidth(tableWidth);
    table->setMinimumHeight(6 * table->verticalHeader()->defaultSectionSize());
    empty = emptyNote(u"tableEmpty"_s, table->viewport());
    setContents(table);
}

void SheetTablePart::read(qint64 child, Kind kind)
{
    model->child = child;
    model->kind = kind;
    readable = model->reload();
    showReadable(readable);
    setTitle(u"これまでの きろく（"_s + kindName(kind) + u"）"_s);
    empty->setVisible(readable && model->rowCount() == 0);
}
