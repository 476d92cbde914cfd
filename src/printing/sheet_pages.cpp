// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/sheet_pages.h"

#include "drill/arithmetic.h"
#include "drill/kind_text.h"
#include "printing/answer_sheet.h"
#include "printing/fonts.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace SheetPages {

namespace {

// The division page as designed: down to the bottom of the name line. It
// fits the printable area of A4 and Letter paper alike.
constexpr double DivisionWidth = ProblemsRight + 400;
constexpr double DivisionHeight = DivisionNameTop + 600;

// Draws in twips on the painter's device, with no transform on the painter
// (one painter unit is one device pixel), made `fit` times smaller.
class Canvas
{
public:
    Canvas(QPainter& painter, double fit)
        : painter(painter)
        , sx(painter.device()->logicalDpiX() / 1440.0 * fit)
        , sy(painter.device()->logicalDpiY() / 1440.0 * fit)
        , fit(fit)
        , font(Fonts::family(Fonts::Mincho))
    {
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
    }

    QRectF toDevice(const QRectF& twips) const
    {
        return {twips.left() * sx, twips.top() * sy, twips.width() * sx, twips.height() * sy};
    }

    void text(const QString& text, const QRectF& twips, double points, Qt::Alignment alignment)
    {
        setPoints(points);
        painter.drawText(toDevice(twips), int(alignment) | Qt::TextDontClip, text);
    }

    // The text's top-left corner at `twips`, as the answer sheet places it.
    void textAt(const QString& text, const QPointF& twips, double points)
    {
        setPoints(points);
        const QFontMetricsF metrics(painter.font(), painter.device());
        painter.drawText(QPointF(twips.x() * sx, twips.y() * sy + metrics.ascent()), text);
    }

    // `name` after the name line that starts at `line`, on its baseline,
    // made smaller where it would reach past `right`.
    void nameAfter(const QPointF& line, const QString& name, double right)
    {
        setPoints(AnswerSheet::NamePoints);
        const QFontMetricsF lineMetrics(painter.font(), painter.device());
        const QPointF start(line.x() * sx + lineMetrics.horizontalAdvance(AnswerSheet::NameLine),
            line.y() * sy + lineMetrics.ascent());
        const double room = right * sx - start.x();
        const double width = lineMetrics.horizontalAdvance(name);
        // Never below a quarter of the size (6 points on a grid page): the
        // margin kept on the right takes what the longest names then need
        // beyond their room.
        if (width > room && room > 0) {
            font.setPointSizeF(font.pointSizeF() * std::max(0.25, room / width));
            painter.setFont(font);
        }
        painter.drawText(start, name);
    }

    void box(const QRectF& twips)
    {
        QPen pen(Qt::black);
        pen.setWidth(AnswerSheet::LineWidth);
        painter.setPen(pen);
        painter.drawRect(toDevice(twips));
        painter.setPen(Qt::black);
    }

private:
    void setPoints(double points)
    {
        font.setPointSizeF(points * fit);
        painter.setFont(font);
    }

    QPainter& painter;
    double sx;
    double sy;
    double fit;
    QFont font;
};

void paintBand(Canvas& canvas, int number, bool key, double right)
{
    const QRectF band(AnswerSheet::GridLeft, BandTop, right - AnswerSheet::GridLeft, BandHeight);
    if (key)
        canvas.text(KeyHeading, band, HeadingPoints, Qt::AlignLeft | Qt::AlignVCenter);
    canvas.text(numberText(number), band, NumberPoints, Qt::AlignRight | Qt::AlignVCenter);
}

void paintGrid(QPainter& painter, const Sheet& sheet, int number, bool key, const QString& name)
{
    const QPaintDevice& device = *painter.device();
    AnswerSheet::paint(
        painter, AnswerSheet::layout(captions(sheet)), device.logicalDpiX(), device.logicalDpiY());

    Canvas canvas(painter, 1.0);
    paintBand(canvas, number, key, AnswerSheet::GridRight);
    if (!name.isEmpty()) {
        const double pageWidth = device.width() * 1440.0 / device.logicalDpiX();
        canvas.nameAfter(QPointF(AnswerSheet::NameLeft, AnswerSheet::NameTop), name,
            pageWidth - NameRightMargin);
    }
    if (!key)
        return;
    for (int cell = 0; cell < 100; ++cell) {
        if (!sheet.inPlay(cell))
            continue;
        const std::optional<int> answer
            = expectedAnswer(sheet.left(cell), sheet.top(cell), sheet.kind);
        if (!answer)
            continue;
        const QRectF place(AnswerSheet::GridLeft + AnswerSheet::Pitch * (cell % 10 + 1),
            AnswerSheet::GridTop + AnswerSheet::Pitch * (cell / 10 + 1), AnswerSheet::Pitch,
            AnswerSheet::Pitch);
        canvas.text(QString::number(*answer), place, GridAnswerPoints, Qt::AlignCenter);
    }
}

void paintDivision(QPainter& painter, const Sheet& sheet, int number, bool key, const QString& name)
{
    const QPaintDevice& device = *painter.device();
    const double pageWidth = device.width() * 1440.0 / device.logicalDpiX();
    const double pageHeight = device.height() * 1440.0 / device.logicalDpiY();
    const double fit = std::min({1.0, pageWidth / DivisionWidth, pageHeight / DivisionHeight});

    Canvas canvas(painter, fit);
    paintBand(canvas, number, key, ProblemsRight);
    for (int row = 0; row < 9; ++row) {
        for (int column = 0; column < 9; ++column) {
            canvas.text(problemText(sheet, row, column), problemRect(row, column), ProblemPoints,
                Qt::AlignRight | Qt::AlignVCenter);
            canvas.text(EqualsSign, equalsRect(row, column), ProblemPoints, Qt::AlignCenter);
            canvas.box(answerBox(row, column));
            const std::optional<int> answer = expectedAnswer(
                sheet.rowOperand(row), sheet.columnOperand(row, column), sheet.kind);
            if (key && answer)
                canvas.text(QString::number(*answer), answerBox(row, column), BoxAnswerPoints,
                    Qt::AlignCenter);
        }
    }
    const QPointF nameLine(AnswerSheet::NameLeft, DivisionNameTop);
    canvas.textAt(AnswerSheet::NameLine, nameLine, AnswerSheet::NamePoints);
    if (!name.isEmpty())
        canvas.nameAfter(nameLine, name, ProblemsRight);
}

} // namespace

QPageLayout::Orientation orientation(Kind kind)
{
    return kind == Kind::Division ? QPageLayout::Landscape : QPageLayout::Portrait;
}

QString numberText(int number)
{
    return u"No. %1"_s.arg(number);
}

std::array<QString, 21> captions(const Sheet& sheet)
{
    std::array<QString, 21> texts;
    texts[0] = kindSign(sheet.kind);
    for (int i = 0; i < sheet.size(); ++i) {
        texts[1 + i] = QString::number(sheet.rowOperand(i));
        texts[11 + i] = QString::number(sheet.columnOperand(0, i));
    }
    return texts;
}

QString problemText(const Sheet& sheet, int row, int column)
{
    return u"%1÷%2"_s.arg(sheet.columnOperand(row, column)).arg(sheet.rowOperand(row));
}

QRectF placeRect(int row, int column)
{
    return {ProblemsLeft + ColumnPitch * column, ProblemsTop + RowPitch * row,
        2 * Em + BoxGap + BoxWidth, Em + LineGap + BoxHeight};
}

QRectF problemRect(int row, int column)
{
    const QRectF place = placeRect(row, column);
    return {place.left(), place.top(), ProblemWidth, Em};
}

QRectF equalsRect(int row, int column)
{
    const QRectF place = placeRect(row, column);
    return {place.left() + Em, place.top() + Em + LineGap, Em, BoxHeight};
}

QRectF answerBox(int row, int column)
{
    const QRectF place = placeRect(row, column);
    return {place.left() + 2 * Em + BoxGap, place.top() + Em + LineGap, BoxWidth, BoxHeight};
}

void paint(QPainter& painter, const Sheet& sheet, int number, bool key, const QString& name)
{
    if (sheet.kind == Kind::Division)
        paintDivision(painter, sheet, number, key, name);
    else
        paintGrid(painter, sheet, number, key, name);
}

} // namespace SheetPages
