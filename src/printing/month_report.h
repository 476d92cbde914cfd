// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/failure.h"
#include "drill/known_facts.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QRectF;

// The best time of one day.
struct DayTime
{
    QDate day;
    int seconds = 0;
};

// One kind practised in the month: its best time then and each day's best.
struct KindMonth
{
    Kind kind = Kind::Addition;
    int best = 0; // seconds
    QList<DayTime> days; // oldest first
};

// What one child's page of a month says.
struct MonthReport
{
    QString name;
    QDate month; // any day of it
    QList<KindMonth> kinds; // the kinds practised in the month, in kind order
    QList<QDate> practised; // the days with any sheet
    // The map of one kind (the one practised most), with its count.
    KnownFacts facts;
};

// For whom the page is written: the family's in the children's hiragana,
// the teacher's in adult Japanese.
enum class ReportWords { Family, Teacher };

// Paints one report in `page` (device coordinates of the painter, an A4
// page's printable area).
void paintMonthReport(
    QPainter& painter, const QRectF& page, const MonthReport& report, ReportWords words);

// Every report on a page of its own, A4 upright, in the order given, as one
// document: a class's in the class's order.
[[nodiscard]] Done paintMonthReports(
    QPagedPaintDevice& device, const QList<MonthReport>& reports, ReportWords words);
// The same as one job on `printer`: nothing printed, and a file printed to
// left as it was, when it fails.
[[nodiscard]] Done printMonthReports(
    QPrinter* printer, const QList<MonthReport>& reports, ReportWords words);
