// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/failure.h"
#include "records/month_records.h"

#include <QList>
#include <QString>

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QRectF;

// What one child's page of a month says.
struct MonthReport
{
    QString name;
    MonthRecords records;
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
