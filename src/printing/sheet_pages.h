// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/sheet.h"

#include <QPageLayout>
#include <QRectF>
#include <QString>

#include <array>

class QPainter;

// The printed pages of a sheet: the sheet to work on, and its answer key
// (the same page with every answer in its cell). Every page carries the
// sheet's number at the top right, so that a key finds its sheet, and the
// line for year, class and name at the bottom. Twips from the top-left
// corner of the printable area, as on the answer sheet.
//
// Addition, subtraction and multiplication print on the answer sheet's
// 11 x 11 grid, the page upright. Division has other columns in every row,
// so it prints as nine rows of nine problems 「12 ÷ 3 ＝」, each with a box
// for the answer, one row per divisor in the sheet's order; nine problems
// abreast need the page on its side.
namespace SheetPages {

// The band above the grid: 「こたえ」 on a key at the left, the number at
// the right.
inline constexpr double BandTop = 60;
inline constexpr double BandHeight = 440;
inline constexpr double HeadingPoints = 16;
inline constexpr double NumberPoints = 12;
// An answer in a grid cell of a key, centred in the cell.
inline constexpr double GridAnswerPoints = 28;

// The division page.
inline constexpr double ProblemsLeft = 400;
inline constexpr double ProblemsTop = 567;
inline constexpr double ProblemPitch = 1700; // across
inline constexpr double RowPitch = 1000; // down
inline constexpr double ProblemWidth = 1100; // the text, set flush right against the box
inline constexpr double BoxGap = 50;
inline constexpr double BoxWidth = 440;
inline constexpr double BoxHeight = 520;
inline constexpr double ProblemPoints = 11;
inline constexpr double BoxAnswerPoints = 14;
inline constexpr double ProblemsRight
    = ProblemsLeft + 8 * ProblemPitch + ProblemWidth + BoxGap + BoxWidth;

inline const QString KeyHeading = QStringLiteral("こたえ");

QPageLayout::Orientation orientation(Kind kind);

// "No. 7".
QString numberText(int number);

// The header captions of a grid sheet as the answer sheet takes them: the
// sign, the row operands, the columns; the unused tenth row and column of
// multiplication are blank.
std::array<QString, 21> captions(const Sheet& sheet);

// Division: the problem in row `row`, column `column`: "12 ÷ 3 ＝".
QString problemText(const Sheet& sheet, int row, int column);

// Division: where the problem's text and its answer box stand.
QRectF problemRect(int row, int column);
QRectF answerBox(int row, int column);

// Paints sheet `number` on one page of the painter's device (its answer key
// with `key`). A division page is made smaller on paper too small for it;
// the grid pages keep their size.
void paint(QPainter& painter, const Sheet& sheet, int number, bool key);

} // namespace SheetPages
