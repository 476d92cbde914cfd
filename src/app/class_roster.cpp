// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/class_roster.h"

#include "drill/kind_text.h"
#include "printing/fonts.h"
#include "scores/time_text.h"

#include <QHeaderView>
#include <QStyle>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString trendText(const std::optional<double>& trend)
{
    if (!trend)
        return u"－"_s;
    const long seconds = std::lround(std::abs(*trend));
    if (seconds == 0)
        return u"かわらない"_s;
    return QString::number(seconds) + (*trend < 0 ? u"びょう はやく"_s : u"びょう おそく"_s);
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
    setHorizontalHeaderLabels({u"なまえ"_s, u"こんしゅう"_s, u"せんしゅう"_s, u"2しゅうまえ"_s,
        u"3しゅうまえ"_s, u"さいきん"_s, u"いちばん"_s, u"ちょうし"_s});
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
    setColumnWidth(Name, metrics.horizontalAdvance(u"あいうえおかきく"_s) + 12);
    for (int week = 0; week < 4; ++week)
        setColumnWidth(ThisWeek + week, metrics.horizontalAdvance(u"2しゅうまえ"_s) + 12);
    setColumnWidth(Latest, metrics.horizontalAdvance(u"10分00秒"_s) + 16);
    setColumnWidth(Best, metrics.horizontalAdvance(u"10分00秒"_s) + 16);
    horizontalHeader()->setStretchLastSection(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int width = 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent)
        + metrics.horizontalAdvance(u"99びょう おそく"_s) + 16;
    for (int column = 0; column < Trend; ++column)
        width += columnWidth(column);
    setMinimumWidth(width);
    setMinimumHeight(12 * verticalHeader()->defaultSectionSize());
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
            kindsText << kindName(each) + u"： "_s
                    + (standing.best ? u"さいきん %1、いちばん %2、%3"_s.arg(
                           shortText(standing.latest().value_or(0)), shortText(*standing.best),
                           trendText(standing.trend()))
                                     : u"まだ ありません"_s);
        }
        QTableWidgetItem* name = cell(child.name, Qt::AlignLeft);
        name->setToolTip(kindsText.join(u'\n'));
        setItem(i, Name, name);
        for (int week = 0; week < 4; ++week) {
            const int days = child.weekDays[std::size_t(week)];
            const bool goal = days >= WeeklyGoalDays;
            QTableWidgetItem* item = cell(u"%1にち"_s.arg(days) + (goal ? u" ◎"_s : QString()));
            if (goal) {
                // Both colours set, so that it reads on a dark desktop too.
                item->setBackground(QColor(200, 240, 200));
                item->setForeground(Qt::black);
            }
            setItem(i, ThisWeek + week, item);
        }
        const KindStanding& standing = child.kinds[shown];
        const auto latest = standing.latest();
        setItem(i, Latest, cell(latest ? shortText(*latest) : u"－"_s, Qt::AlignRight));
        setItem(i, Best, cell(standing.best ? shortText(*standing.best) : u"－"_s, Qt::AlignRight));
        setItem(i, Trend, cell(trendText(standing.trend())));
    }
    if (row >= 0 && row < rowCount())
        selectRow(row);
}
