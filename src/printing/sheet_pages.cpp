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
#include <QTextLayout>

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

    void line(const QLineF& twips)
    {
        QPen pen(Qt::black);
        pen.setWidth(AnswerSheet::LineWidth);
        painter.setPen(pen);
        painter.drawLine(
            QLineF(twips.x1() * sx, twips.y1() * sy, twips.x2() * sx, twips.y2() * sy));
        painter.setPen(Qt::black);
    }

    // In twips.
    double width(const QString& text, double points)
    {
        setPoints(points);
        return QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(text) / sx;
    }

    // `text` broken into lines no wider than `width` twips: at spaces where
    // it has them, otherwise between any two characters, as Japanese is.
    QStringList lines(const QString& text, double points, double width)
    {
        setPoints(points);
        QTextLayout layout(text, painter.font(), painter.device());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        QStringList broken;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width * sx);
            broken << text.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
        return broken;
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

void paintBand(Canvas& canvas, int number, bool key, const QRectF& band)
{
    if (key)
        canvas.text(KeyHeading, band, HeadingPoints, Qt::AlignLeft | Qt::AlignVCenter);
    canvas.text(numberText(number), band, NumberPoints, Qt::AlignRight | Qt::AlignVCenter);
}

void paintGrid(QPainter& painter, const Sheet& sheet, int number, bool key, const QString& name,
    const QMarginsF& paperMargins)
{
    const QPaintDevice& device = *painter.device();
    const QRectF content = contentRect(QSizeF(device.width() * 1440.0 / device.logicalDpiX(),
                                           device.height() * 1440.0 / device.logicalDpiY()),
        paperMargins);
    Canvas canvas(painter, 1.0);

    // The name is never made small to fit: one too long to follow
    // 「なまえ：」 goes whole onto the lines below, at the same size.
    const double points = std::max(SmallestNamePoints,
        AnswerSheet::NamePoints
            * std::min(1.0,
                content.width() / canvas.width(AnswerSheet::NameLine, AnswerSheet::NamePoints)));
    const double lineWidth = canvas.width(AnswerSheet::NameLine, points);
    const bool follows = canvas.width(name, points) <= content.width() - lineWidth;
    const QStringList below = follows ? QStringList() : canvas.lines(name, points, content.width());
    const GridPage page = gridPage(content, 1 + int(below.size()));

    paintBand(canvas, number, key, page.band);
    const std::array<QString, 21> texts = captions(sheet);
    const double scale = page.pitch / DesignPitch;
    canvas.text(texts[0], page.square(0, 0), OperandPoints * scale, Qt::AlignCenter);
    for (int i = 1; i <= 10; ++i) {
        canvas.text(texts[10 + i], page.square(0, i), OperandPoints * scale, Qt::AlignCenter);
        canvas.text(texts[i], page.square(i, 0), OperandPoints * scale, Qt::AlignCenter);
    }
    canvas.box(page.grid);
    for (int i = 1; i <= 10; ++i) {
        canvas.line({page.grid.left(), page.square(i, 0).top(), page.grid.right(),
            page.square(i, 0).top()});
        canvas.line({page.square(0, i).left(), page.grid.top(), page.square(0, i).left(),
            page.grid.bottom()});
    }

    canvas.textAt(AnswerSheet::NameLine, page.name.topLeft(), points);
    const double linePitch = NameLinePitch * points / AnswerSheet::NamePoints;
    if (follows && !name.isEmpty())
        canvas.textAt(name, page.name.topLeft() + QPointF(lineWidth, 0), points);
    for (int i = 0; i < below.size(); ++i)
        canvas.textAt(below[i], page.name.topLeft() + QPointF(0, linePitch * (i + 1)), points);

    if (!key)
        return;
    for (int cell = 0; cell < 100; ++cell) {
        if (!sheet.inPlay(cell))
            continue;
        const std::optional<int> answer
            = expectedAnswer(sheet.left(cell), sheet.top(cell), sheet.kind);
        if (answer)
            canvas.text(QString::number(*answer), page.square(cell / 10 + 1, cell % 10 + 1),
                GridAnswerPoints * scale, Qt::AlignCenter);
    }
}

void paintDivision(QPainter& painter, const Sheet& sheet, int number, bool key, const QString& name)
{
    const QPaintDevice& device = *painter.device();
    const double pageWidth = device.width() * 1440.0 / device.logicalDpiX();
    const double pageHeight = device.height() * 1440.0 / device.logicalDpiY();
    const double fit = std::min({1.0, pageWidth / DivisionWidth, pageHeight / DivisionHeight});

    Canvas canvas(painter, fit);
    paintBand(canvas, number, key,
        QRectF(AnswerSheet::GridLeft, BandTop, ProblemsRight - AnswerSheet::GridLeft, BandHeight));
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

QRectF contentRect(const QSizeF& printable, const QMarginsF& paperMargins)
{
    const auto inset = [](double margin) { return std::max(0.0, PaperMargin - margin); };
    return QRectF(QPointF(0, 0), printable)
        .adjusted(inset(paperMargins.left()), inset(paperMargins.top()),
            -inset(paperMargins.right()), -inset(paperMargins.bottom()));
}

GridPage gridPage(const QRectF& content, int nameLines)
{
    const double nameHeight = std::max(2, nameLines) * NameLinePitch;
    GridPage page;
    page.pitch = std::min(content.width(), content.height() - BandHeight - nameHeight) / 11;
    const double side = 11 * page.pitch;
    // What the grid leaves, in three even gaps: above the band, between the
    // grid and the name line, below the name.
    const double gap = (content.height() - BandHeight - side - nameHeight) / 3;
    const double left = content.left() + (content.width() - side) / 2;
    page.band = QRectF(left, content.top() + gap, side, BandHeight);
    page.grid = QRectF(left, page.band.bottom(), side, side);
    page.name = QRectF(content.left(), page.grid.bottom() + gap, content.width(), nameHeight);
    return page;
}

void paint(QPainter& painter, const Sheet& sheet, int number, bool key, const QString& name,
    const QMarginsF& paperMargins)
{
    if (sheet.kind == Kind::Division)
        paintDivision(painter, sheet, number, key, name);
    else
        paintGrid(painter, sheet, number, key, name, paperMargins);
}

} // namespace SheetPages
