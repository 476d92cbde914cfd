// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <array>
#include <vector>

class QPainter;

// The printed answer sheet: an 11 x 11 grid whose top row and left column
// carry the header captions, with a line for year, class and name below it.
// Everything is in twips from the top-left corner of the printable area.
namespace AnswerSheet {

inline constexpr double GridLeft = 400;
inline constexpr double GridTop = 567;
inline constexpr double Pitch = 826; // a 786-twip cell and a 40-twip gap
inline constexpr double GridRight = GridLeft + 11 * Pitch;
inline constexpr double GridBottom = GridTop + 11 * Pitch;
inline constexpr double NameLeft = GridLeft + 40;
inline constexpr double NameTop = 12 * 786 + GridTop + 40 + 400;
inline constexpr double HeaderPoints = 36;
inline constexpr double NamePoints = 24;
// Grid lines are as wide as this many device pixels, whatever the printer.
inline constexpr int LineWidth = 8;

inline const QString NameLine = QStringLiteral("　　　　　ねん　　くみ　　　なまえ：");

struct Text
{
    QString text;
    QPointF topLeft; // twips
    double points;
};

struct Layout
{
    std::vector<Text> texts; // in printing order
    QRectF frame; // twips
    std::vector<QLineF> lines; // twips, inner grid lines
};

// Captions of the header labels: [0] the sign, [1..10] the row operands,
// [11..20] the column operands. They are printed exactly as given.
Layout layout(const std::array<QString, 21>& captions);

// Paints `sheet` on a device of the given resolution, with no transform on
// the painter (one painter unit is one device pixel).
void paint(QPainter& painter, const Layout& sheet, double dpiX, double dpiY);

} // namespace AnswerSheet
