// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/answer_sheet.h"

#include "printing/fonts.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

namespace AnswerSheet {

Layout layout(const std::array<QString, 21>& captions)
{
    Layout sheet;
    sheet.texts.push_back({captions[0], {GridLeft, GridTop}, HeaderPoints});
    for (int c = 1; c <= 10; ++c)
        sheet.texts.push_back({captions[10 + c], {GridLeft + Pitch * c, GridTop}, HeaderPoints});
    for (int r = 1; r <= 10; ++r)
        sheet.texts.push_back({captions[r], {GridLeft, GridTop + Pitch * r}, HeaderPoints});
    sheet.texts.push_back({NameLine, {NameLeft, NameTop}, NamePoints});

    sheet.frame = QRectF(QPointF(GridLeft, GridTop), QPointF(GridRight, GridBottom));
    for (int j = 1; j <= 10; ++j)
        sheet.lines.emplace_back(GridLeft, GridTop + Pitch * j, GridRight, GridTop + Pitch * j);
    for (int k = 1; k <= 10; ++k)
        sheet.lines.emplace_back(GridLeft + Pitch * k, GridTop, GridLeft + Pitch * k, GridBottom);
    return sheet;
}

void paint(QPainter& painter, const Layout& sheet, double dpiX, double dpiY)
{
    const double sx = dpiX / 1440.0;
    const double sy = dpiY / 1440.0;
    auto toDevice
        = [sx, sy](const QPointF& twips) { return QPointF(twips.x() * sx, twips.y() * sy); };

    painter.setPen(Qt::black);
    QFont font(Fonts::family(Fonts::Mincho));
    for (const Text& text : sheet.texts) {
        font.setPointSizeF(text.points);
        painter.setFont(font);
        // The position is the top-left corner of the text; Qt draws from
        // the baseline.
        const QFontMetricsF metrics(painter.font(), painter.device());
        painter.drawText(toDevice(text.topLeft) + QPointF(0, metrics.ascent()), text.text);
    }

    QPen pen(Qt::black);
    pen.setWidth(LineWidth);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(toDevice(sheet.frame.topLeft()), toDevice(sheet.frame.bottomRight())));
    for (const QLineF& line : sheet.lines)
        painter.drawLine(QLineF(toDevice(line.p1()), toDevice(line.p2())));
}

} // namespace AnswerSheet
