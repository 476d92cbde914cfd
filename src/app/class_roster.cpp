// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/class_roster.h"

#include "drill/kind_text.h"
#include "printing/fonts.h"
#include "scores/time_text.h"

#include <QHeaderView>
#include <QStyle>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// A time as a teacher writes it: "8秒", "1分05秒", no leading zero.
QString timeText(int seconds)
{
    return seconds < 60 ? QString::number(seconds) + u"秒"_s : minutesText(seconds);
}

// In the same script as the times beside it: "20秒 速く".
QString trendText(const std::optional<double>& trend)
{
    if (!trend)
        return u"－"_s;
    const long seconds = std::lround(std::abs(*trend));
    if (seconds == 0)
        return u"変化なし"_s;
    return timeText(int(seconds)) + (*trend < 0 ? u" 速く"_s : u" 遅く"_s);
}

// A week's practice days of one kind; a week without any is a dash, as an
// empty time is.
QString daysText(int days)
{
    if (days <= 0)
        return u"－"_s;
    return u"%1日"_s.arg(days) + (days >= WeeklyGoalDays ? u" ◎"_s : QString());
}

QTableWidgetItem* cell(const QString& text, Qt::Alignment alignment = Qt::AlignCenter)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

ClassRoster::ClassRoster(QWidget* parent)
    : QTableWidget(0, Columns, parent)
{
    setObjectName(u"roster"_s);
    // A little smaller than the rest, so that the roster and the map fit
    // side by side on a small screen.
    setFont(Fonts::gothic(9.5));
    setAccessibleName(u"クラスの こども"_s);
    setHorizontalHeaderLabels({u"番号"_s, u"名前"_s, u"この週"_s, u"先週"_s, u"2週前"_s, u"3週前"_s,
        u"最新"_s, u"最高"_s, u"調子"_s, u"覚えた問題"_s});
    horizontalHeader()->setFont(font());
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setAlternatingRowColors(true);
    setWordWrap(false);
    const QFontMetrics metrics(font());
    // Widths from the widest texts, whatever the kind shows: the columns
    // keep their places when the kind changes. A wider window shares its
    // room among them in the same proportions (resizeEvent).
    baseWidths = {metrics.horizontalAdvance(u"番号"_s) + 16,
        metrics.horizontalAdvance(u"あいうえおかきく"_s) + 12,
        metrics.horizontalAdvance(u"7日 ◎"_s) + 10, 0, 0, 0,
        metrics.horizontalAdvance(u"10分00秒"_s) + 10, 0,
        metrics.horizontalAdvance(u"10分00秒 遅く"_s) + 10,
        std::max(
            metrics.horizontalAdvance(u"覚えた問題"_s), metrics.horizontalAdvance(u"100/100"_s))
            + 16};
    for (int week = 1; week < 4; ++week)
        baseWidths[ThisWeek + week] = baseWidths[ThisWeek];
    baseWidths[Best] = baseWidths[Latest];
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int width = 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int column = 0; column < Columns; ++column) {
        setColumnWidth(column, baseWidths[column]);
        width += baseWidths[column];
    }
    setMinimumWidth(width);
    setMinimumHeight(12 * verticalHeader()->defaultSectionSize());
}

void ClassRoster::resizeEvent(QResizeEvent* event)
{
    QTableWidget::resizeEvent(event);
    shareWidths();
}

void ClassRoster::shareWidths()
{
    // The names whole first, as far as the other columns' smallest widths
    // leave room; then the room beyond the smallest widths shared in their
    // proportions, and at most twice each: a wide screen does not make one
    // column of eight hundred pixels beside the rest.
    // The number keeps its width, and counts in what is left.
    const int room = viewport()->width() - baseWidths[Number];
    setColumnWidth(Number, baseWidths[Number]);
    int others = 0;
    for (int column = Name + 1; column < Columns; ++column)
        others += baseWidths[column];
    const int name = std::max(baseWidths[Name], std::min(namesWidth, room - others));
    setColumnWidth(Name, name);
    const double share = std::clamp(double(room - name) / std::max(others, 1), 1.0, 2.0);
    int used = name;
    for (int column = Name + 1; column < Columns; ++column) {
        const int width = column == Columns - 1 ? std::max(baseWidths[column], room - used)
                                                : int(baseWidths[column] * share);
        setColumnWidth(column, width);
        used += width;
    }
}

int ClassRoster::chosenRow() const
{
    const QList<QTableWidgetItem*> chosen = selectedItems();
    return chosen.isEmpty() ? -1 : chosen.first()->row();
}

void ClassRoster::fill(const QList<ClassChild>& roster, Kind kind)
{
    const int row = chosenRow();
    setRowCount(int(roster.size()));
    const std::size_t shown = std::size_t(kindNumber(kind));
    for (int i = 0; i < roster.size(); ++i) {
        const ClassChild& child = roster[i];
        // Every kind at a glance over the name; the columns show the
        // chosen one.
        QStringList kindsText;
        for (Kind each : AllKinds) {
            const KindStanding& standing = child.kinds[std::size_t(kindNumber(each))];
            QString line = kindName(each) + u"： "_s;
            if (!standing.best) {
                line += u"まだありません"_s;
            } else {
                line += u"最新 %1、最高 %2"_s.arg(
                    timeText(standing.latest().value_or(0)), timeText(*standing.best));
                // A trend needs two sheets; with one the line ends at the best.
                if (standing.trend())
                    line += u"、調子 "_s + trendText(standing.trend());
            }
            kindsText << line;
        }
        QTableWidgetItem* name = cell(child.name, Qt::AlignLeft);
        // The whole name first: a long one is cut in its column.
        name->setToolTip(child.name + u'\n' + kindsText.join(u'\n'));
        setItem(i, Name, name);
        setItem(i, Number, cell(QString::number(child.number), Qt::AlignRight));
        const KindStanding& standing = child.kinds[shown];
        for (int week = 0; week < 4; ++week) {
            const int days = standing.weekDays[std::size_t(week)];
            QTableWidgetItem* item = cell(daysText(days));
            if (days >= WeeklyGoalDays) {
                // Both colours set, so that it reads on a dark desktop too.
                item->setBackground(QColor(200, 240, 200));
                item->setForeground(Qt::black);
            }
            setItem(i, ThisWeek + week, item);
        }
        const auto latest = standing.latest();
        setItem(i, Latest, cell(latest ? timeText(*latest) : u"－"_s, Qt::AlignRight));
        setItem(i, Best, cell(standing.best ? timeText(*standing.best) : u"－"_s, Qt::AlignRight));
        setItem(i, Trend, cell(trendText(standing.trend())));
    }
    children.clear();
    for (const ClassChild& child : roster)
        children.append(child.id);
    shownKind = kind;
    fillKnown();
    if (row >= 0 && row < rowCount())
        selectRow(row);
    namesWidth = 0;
    for (const ClassChild& child : roster)
        namesWidth = std::max(namesWidth, fontMetrics().horizontalAdvance(child.name) + 12);
    shareWidths();
}

void ClassRoster::setKnown(const std::optional<ClassFacts>& facts)
{
    known = facts;
    fillKnown();
}

void ClassRoster::fillKnown()
{
    const bool shown = known && known->kind() == shownKind;
    for (int row = 0; row < rowCount(); ++row) {
        QString text;
        if (shown) {
            // A child who has not answered a fact of the kind knows none
            // of it yet, which is not the same as forgetting them all.
            const std::optional<int> count = known->knownOf(children.value(row));
            text = count ? u"%1/%2"_s.arg(*count).arg(known->layout.count()) : u"－"_s;
        }
        setItem(row, Known, cell(text, Qt::AlignRight));
    }
}
