// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/month_report.h"

#include "drill/kind_text.h"
#include "printing/fonts.h"
#include "printing/print_job.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>

#include <algorithm>
#include <array>
#include <set>

using namespace Qt::StringLiterals;

namespace {

// An A4 page upright, with margins every printer prints within.
QPageLayout a4()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12),
        QPageLayout::Millimeter);
}

bool family(ReportWords words)
{
    return words == ReportWords::Family;
}

QString kindWord(Kind kind, ReportWords words)
{
    if (family(words))
        return kindName(kind);
    static const std::array<QString, 4> adult
        = {u"たし算"_s, u"ひき算"_s, u"かけ算"_s, u"わり算"_s};
    return adult[std::size_t(kindNumber(kind))];
}

// "45秒", "1分05秒".
QString timeText(int seconds)
{
    if (seconds < 60)
        return u"%1秒"_s.arg(seconds);
    return u"%1分%2秒"_s.arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
}

// The page in millimetres from its printable area's top-left corner.
class Page
{
public:
    Page(QPainter& painter, const QRectF& area)
        : painter(painter)
        , area(area)
        , unit(painter.device()->logicalDpiX() / 25.4)
    { }

    double width() const { return area.width() / unit; }
    double height() const { return area.height() / unit; }
    QRectF rect(double x, double y, double w, double h) const
    {
        return {area.left() + x * unit, area.top() + y * unit, w * unit, h * unit};
    }
    QPointF point(double x, double y) const
    {
        return {area.left() + x * unit, area.top() + y * unit};
    }
    double length(double mm) const { return mm * unit; }

    // `text` in `box` at `points`, made smaller (to 9 points) where it
    // would not fit across.
    void text(const QRectF& box, const QString& text, double points, bool bold = false,
        int flags = Qt::AlignLeft | Qt::AlignVCenter, const QColor& colour = Qt::black)
    {
        QFont font = Fonts::gothic(points, bold);
        painter.setFont(font);
        while (points > 9 && painter.fontMetrics().horizontalAdvance(text) > box.width()) {
            points -= 0.5;
            font.setPointSizeF(points);
            painter.setFont(font);
        }
        painter.setPen(colour);
        painter.drawText(box, flags | Qt::TextSingleLine, text);
    }

    QPainter& painter;

private:
    QRectF area;
    double unit;
};

void paintHeader(Page& page, const MonthReport& report, ReportWords words)
{
    const QDate month = report.records.month;
    const QString title = family(words)
        ? u"%1ねん %2がつの れんしゅう"_s.arg(month.year()).arg(month.month())
        : u"%1年%2月の練習記録"_s.arg(month.year()).arg(month.month());
    page.text(page.rect(0, 0, page.width(), 9), title, 16, true);
    if (report.name.isEmpty()) {
        // A family's only child is never named: a line to write it on.
        page.text(page.rect(0, 10, 20, 12), family(words) ? u"なまえ"_s : u"氏名"_s, 12);
        page.painter.setPen(QPen(Qt::black, page.length(0.3)));
        page.painter.drawLine(page.point(20, 20), page.point(100, 20));
    } else {
        page.text(page.rect(0, 10, page.width(), 12), report.name, 22, true);
    }
    page.painter.setPen(QPen(Qt::black, page.length(0.4)));
    page.painter.drawLine(page.point(0, 24), page.point(page.width(), 24));
}

void paintBestTimes(Page& page, const MonthReport& report, ReportWords words, double top)
{
    page.text(page.rect(0, top, 88, 7),
        family(words) ? u"いちばん はやい じかん"_s : u"今月の最速タイム"_s, 13, true);
    if (report.records.kinds.isEmpty()) {
        page.text(page.rect(0, top + 9, 88, 7),
            family(words) ? u"この つきは まだ ありません"_s : u"今月の練習はありません"_s, 12);
        return;
    }
    double y = top + 9;
    for (const KindMonth& kind : report.records.kinds) {
        page.text(page.rect(2, y, 34, 8), kindWord(kind.kind, words), 13);
        page.text(page.rect(36, y, 50, 8), timeText(kind.best), 15, true);
        y += 9;
    }
}

void paintCalendar(
    Page& page, const MonthReport& report, ReportWords words, double left, double top)
{
    const QDate first(report.records.month.year(), report.records.month.month(), 1);
    std::set<int> days;
    for (const QDate& day : report.records.practised) {
        if (day.year() == first.year() && day.month() == first.month())
            days.insert(day.day());
    }
    const double width = page.width() - left;
    page.text(page.rect(left, top, width, 7),
        family(words) ? u"れんしゅう した ひ： %1にち"_s.arg(days.size())
                      : u"練習した日： %1日"_s.arg(days.size()),
        13, true);
    const QStringList heads = family(words)
        ? QStringList{u"げつ"_s, u"か"_s, u"すい"_s, u"もく"_s, u"きん"_s, u"ど"_s, u"にち"_s}
        : QStringList{u"月"_s, u"火"_s, u"水"_s, u"木"_s, u"金"_s, u"土"_s, u"日"_s};
    const double cell = width / 7;
    const double row = 6.5;
    for (int column = 0; column < 7; ++column)
        page.text(page.rect(left + column * cell, top + 8, cell, 5), heads[column], 9, false,
            Qt::AlignCenter);
    const int offset = first.dayOfWeek() - 1;
    QPainter& painter = page.painter;
    for (int day = 1; day <= first.daysInMonth(); ++day) {
        const int at = offset + day - 1;
        const QRectF box = page.rect(left + (at % 7) * cell, top + 14 + (at / 7) * row, cell, row);
        const bool done = days.count(day) > 0;
        if (done) {
            // A filled disc with the day in white: seen without colour.
            const double radius = page.length(2.9);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(40, 40, 40));
            painter.drawEllipse(box.center(), radius, radius);
            painter.setBrush(Qt::NoBrush);
        }
        page.text(
            box, QString::number(day), 10, done, Qt::AlignCenter, done ? Qt::white : Qt::black);
    }
}

void paintGraph(Page& page, const MonthReport& report, ReportWords words, double top, double height)
{
    page.text(page.rect(0, top, page.width(), 7),
        family(words) ? u"まいにちの いちばん はやい じかん"_s : u"日ごとの最速タイム"_s, 13, true);
    const QDate first(report.records.month.year(), report.records.month.month(), 1);
    const int daysInMonth = first.daysInMonth();
    int slowest = 60;
    for (const KindMonth& kind : report.records.kinds) {
        for (const DayBest& day : kind.days)
            slowest = std::max(slowest, day.seconds);
    }
    // Whole minutes up the side, at most five lines, the top one labelled.
    const int slowestMinutes = (slowest + 59) / 60;
    const int step = slowestMinutes <= 4 ? 1 : (slowestMinutes + 3) / 4;
    const int minutes = (slowestMinutes + step - 1) / step * step;
    const double left = 14;
    const double plotTop = top + 10;
    const double plotHeight = height - 18;
    const double plotWidth = page.width() - left - 2;
    const auto x = [&](int day) { return left + plotWidth * (day - 0.5) / daysInMonth; };
    const auto y = [&](int seconds) {
        return plotTop + plotHeight * (1 - double(seconds) / (minutes * 60));
    };

    QPainter& painter = page.painter;
    for (int minute = 0; minute <= minutes; minute += step) {
        painter.setPen(QPen(QColor(170, 170, 170), page.length(minute == 0 ? 0.3 : 0.15)));
        painter.drawLine(
            page.point(left, y(minute * 60)), page.point(left + plotWidth, y(minute * 60)));
        page.text(page.rect(0, y(minute * 60) - 2.5, left - 2, 5), u"%1:00"_s.arg(minute), 8, false,
            Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int day = 1; day <= daysInMonth; ++day) {
        if (day == 1 || day % 5 == 0)
            page.text(page.rect(x(day) - 4, plotTop + plotHeight + 1, 8, 4), QString::number(day),
                8, false, Qt::AlignCenter);
    }

    // Each kind its own line and mark, told apart in black and white.
    static const std::array<Qt::PenStyle, 4> lines
        = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine};
    const auto mark = [&](Kind kind, const QPointF& at) {
        const double r = page.length(1.2);
        painter.setPen(QPen(Qt::black, page.length(0.3)));
        painter.setBrush(Qt::black);
        switch (kind) {
        case Kind::Addition:
            painter.drawEllipse(at, r, r);
            break;
        case Kind::Subtraction:
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r));
            break;
        case Kind::Multiplication:
            painter.drawPolygon(QPolygonF{
                {at.x(), at.y() - r * 1.2}, {at.x() + r, at.y() + r}, {at.x() - r, at.y() + r}});
            break;
        case Kind::Division:
            painter.setBrush(Qt::white);
            painter.drawPolygon(QPolygonF{{at.x(), at.y() - r * 1.3}, {at.x() + r * 1.3, at.y()},
                {at.x(), at.y() + r * 1.3}, {at.x() - r * 1.3, at.y()}});
            break;
        }
        painter.setBrush(Qt::NoBrush);
    };
    double legend = left + plotWidth;
    for (qsizetype k = report.records.kinds.size(); k-- > 0;) {
        const KindMonth& kind = report.records.kinds[k];
        QPolygonF path;
        for (const DayBest& day : kind.days) {
            if (day.day.year() == first.year() && day.day.month() == first.month())
                path.append(page.point(x(day.day.day()), y(day.seconds)));
        }
        painter.setPen(
            QPen(Qt::black, page.length(0.5), lines[std::size_t(kindNumber(kind.kind))]));
        painter.drawPolyline(path);
        for (const QPointF& at : path)
            mark(kind.kind, at);
        legend -= 30;
        mark(kind.kind, page.point(legend + 3, top + 3.5));
        page.text(page.rect(legend + 6, top, 24, 7), kindWord(kind.kind, words), 10);
    }
}

void paintFactMap(Page& page, const KnownFacts& facts, ReportWords words, double top)
{
    const FactGrid& grid = facts.layout();
    const QString count = u"%1/%2"_s.arg(facts.known()).arg(facts.outOf());
    page.text(page.rect(0, top, page.width(), 10),
        (family(words) ? u"おぼえた もんだい： "_s : u"覚えた問題： "_s) + count + u"（"_s
            + kindWord(facts.kind(), words) + u"）"_s,
        16, true);
    const double pitch = 8.6;
    const double mapTop = top + 12;
    QPainter& painter = page.painter;
    const auto square = [&](int row, int column) {
        return page.rect(column * pitch, mapTop + row * pitch, pitch, pitch);
    };
    page.text(square(0, 0), kindSign(facts.kind()), 13, true, Qt::AlignCenter);
    for (int i = 0; i < grid.size; ++i) {
        page.text(square(i + 1, 0), QString::number(grid.firstRow + i), 12, true, Qt::AlignCenter);
        page.text(
            square(0, i + 1), QString::number(grid.firstColumn + i), 12, true, Qt::AlignCenter);
    }
    for (int row = 0; row < grid.size; ++row) {
        for (int column = 0; column < grid.size; ++column) {
            const QRectF box = square(row + 1, column + 1);
            const FactState state = facts.stateAt(row, column);
            const QColor fill = state == FactState::Known ? QColor(50, 50, 50)
                : state == FactState::Slow                ? QColor(215, 215, 215)
                                                          : Qt::white;
            painter.setPen(QPen(QColor(90, 90, 90), page.length(0.2)));
            painter.setBrush(fill);
            painter.drawRect(box);
            painter.setBrush(Qt::NoBrush);
            const QString sign = state == FactState::Known ? u"◎"_s
                : state == FactState::Met                  ? u"○"_s
                : state == FactState::Slow                 ? u"△"_s
                                                           : QString();
            if (!sign.isEmpty())
                page.text(box, sign, 12, false, Qt::AlignCenter,
                    state == FactState::Known ? Qt::white : Qt::black);
        }
    }

    // The key beside the map.
    const double keyLeft = (grid.size + 1) * pitch + 8;
    const double keyWidth = page.width() - keyLeft;
    const QStringList key = family(words)
        ? QStringList{u"おぼえた"_s, u"もう すこし"_s, u"じかんが かかった・まちがえた"_s,
            u"まだ でて いない"_s}
        : QStringList{u"覚えた"_s, u"練習中"_s, u"遅い・間違いあり"_s, u"未出題"_s};
    const std::array<FactState, 4> states
        = {FactState::Known, FactState::Met, FactState::Slow, FactState::NotMet};
    for (int i = 0; i < 4; ++i) {
        const QRectF box = page.rect(keyLeft, mapTop + 4 + i * 12, 7, 7);
        const QColor fill = states[i] == FactState::Known ? QColor(50, 50, 50)
            : states[i] == FactState::Slow                ? QColor(215, 215, 215)
                                                          : Qt::white;
        painter.setPen(QPen(QColor(90, 90, 90), page.length(0.2)));
        painter.setBrush(fill);
        painter.drawRect(box);
        painter.setBrush(Qt::NoBrush);
        const QString sign = i == 0 ? u"◎"_s : i == 1 ? u"○"_s : i == 2 ? u"△"_s : QString();
        page.text(box, sign, 11, false, Qt::AlignCenter, i == 0 ? Qt::white : Qt::black);
        page.text(page.rect(keyLeft + 9, mapTop + 4 + i * 12, keyWidth - 9, 7), key[i], 11);
    }
    const QString rule = family(words)
        ? u"さいごの 3かいが どれも\n3びょう いないで まちがい\nなしなら 「おぼえた」"_s
        : u"直近3回の解答がいずれも\n3秒以内で間違いなしなら\n「覚えた」"_s;
    painter.setFont(Fonts::gothic(10));
    painter.setPen(Qt::black);
    painter.drawText(
        page.rect(keyLeft, mapTop + 54, keyWidth, 24), Qt::AlignLeft | Qt::AlignTop, rule);
}

} // namespace

void paintMonthReport(
    QPainter& painter, const QRectF& area, const MonthReport& report, ReportWords words)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Page page(painter, area);
    paintHeader(page, report, words);
    paintBestTimes(page, report, words, 29);
    paintCalendar(page, report, words, 96, 29);
    paintGraph(page, report, words, 86, 64);
    paintFactMap(page, report.records.facts, words, 156);
    painter.restore();
}

namespace {

// Paints the reports through `painter` on `device`, a page each;
// `newPage` starts the next one.
template <typename NewPage>
void paintPages(QPainter& painter, const QPagedPaintDevice& device,
    const QList<MonthReport>& reports, ReportWords words, NewPage newPage)
{
    const QRect area = device.pageLayout().paintRectPixels(device.logicalDpiX());
    for (qsizetype at = 0; at < reports.size(); ++at) {
        if (at > 0)
            newPage();
        paintMonthReport(painter, QRectF(QPointF(0, 0), area.size()), reports[at], words);
    }
}

Failure printFailure(const char* what)
{
    return Failure{Failed::PrintFailed, {}, QString::fromUtf8(what)};
}

} // namespace

Done paintMonthReports(
    QPagedPaintDevice& device, const QList<MonthReport>& reports, ReportWords words)
{
    if (reports.isEmpty())
        return printFailure("there is no report to print");
    if (!device.setPageLayout(a4()))
        return printFailure("the device takes no A4 page");
    QPainter painter;
    if (!painter.begin(&device))
        return printFailure("the device cannot start a document");
    bool paged = true;
    paintPages(painter, device, reports, words, [&] { paged = paged && device.newPage(); });
    if (!painter.end() || !paged)
        return printFailure("the document failed");
    return {};
}

Done printMonthReports(QPrinter* printer, const QList<MonthReport>& reports, ReportWords words)
{
    if (reports.isEmpty())
        return printFailure("there is no report to print");
    if (!printer)
        return printFailure("no printer is available");
    printer->setPageLayout(a4());
    PrintJob job(printer);
    if (Done failed = job.begin())
        return failed;
    Done paged;
    paintPages(job.painter(), *printer, reports, words, [&] {
        if (!paged)
            paged = job.newPage();
    });
    if (paged)
        return paged;
    return job.finish();
}
