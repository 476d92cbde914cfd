// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/sheet.h"

#include <QMarginsF>
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
// Addition, subtraction and multiplication print on an 11 x 11 grid of
// squares like the answer sheet's, the page upright: the grid as wide as
// the paper allows, and the band, the grid and the name line spread evenly
// down the page, all of it at least 10 mm from the paper's edges, where
// every printer prints. Division has other columns in every row,
// so it prints as nine rows of nine problems, one row per divisor in the
// sheet's order, the page on its side. Nine problems abreast at a size a
// child reads easily take two lines each: 「12÷3」 over 「＝」 and a box for
// the answer, so that every box stands clear of the next problem.
namespace SheetPages {

// What every page keeps clear of the paper's edges, 10 mm.
inline constexpr double PaperMargin = 567;

// The band above the grid: 「こたえ」 on a key at the left, the number at
// the right.
inline constexpr double BandTop = 60;
inline constexpr double BandHeight = 440;
inline constexpr double HeadingPoints = 16;
inline constexpr double NumberPoints = 12;
// An operand in a header square and an answer in a grid square of a key,
// centred, at these sizes for the answer sheet's pitch and larger with a
// larger grid.
inline constexpr double OperandPoints = 36;
inline constexpr double GridAnswerPoints = 28;
inline constexpr double DesignPitch = 826;
// The name line of a grid page and each line of a name too long to follow
// 「なまえ：」, which wraps below it at the same size (the answer sheet's).
inline constexpr double NameLinePitch = 720;
// Made smaller only where the line itself is wider than the paper, and
// never below this.
inline constexpr double SmallestNamePoints = 10;

// Where the parts of a grid page stand, in twips of the printable area.
struct GridPage
{
    QRectF band;
    QRectF grid; // 11 x 11 squares, the header row and column included
    double pitch = DesignPitch;
    QRectF name; // the name line and the lines below it
    // The square of row `row` and column `column`, 0 the header's.
    QRectF square(int row, int column) const
    {
        return {grid.left() + pitch * column, grid.top() + pitch * row, pitch, pitch};
    }
};

// The part of a printable area `printable` (its size) that keeps
// PaperMargin from the paper's edges, which stand `paperMargins` around it.
QRectF contentRect(const QSizeF& printable, const QMarginsF& paperMargins);

// A grid page in `content`, with `nameLines` lines from the name line down
// (two at least, so that every sheet of a class looks alike).
GridPage gridPage(const QRectF& content, int nameLines);

// The division page. Sizes follow the problems' em (20 points are 400
// twips): in 「81÷9」 a digit is half an em and 「÷」 a whole one; 「＝」
// stands under 「÷」 and the box under the divisor and beyond.
inline constexpr double ProblemPoints = 20;
inline constexpr double BoxAnswerPoints = 20;
inline constexpr double Em = ProblemPoints * 20;
inline constexpr double ProblemsLeft = 400;
inline constexpr double ProblemsTop = 600;
inline constexpr double ColumnPitch = 1660; // across
inline constexpr double RowPitch = 1110; // down
inline constexpr double ProblemWidth = 2.5 * Em; // set flush right
inline constexpr double LineGap = 80; // between a problem and its box
inline constexpr double BoxGap = 60; // between 「＝」 and the box
inline constexpr double BoxWidth = 440;
inline constexpr double BoxHeight = 440;
inline constexpr double ProblemsRight = ProblemsLeft + 8 * ColumnPitch + 2 * Em + BoxGap + BoxWidth;
// The name line, lower than on the grid sheets: the problems take more room.
inline constexpr double DivisionNameTop = 10700;
// A name printed on the name line keeps this far from the right edge of the
// printable area (of the problems, on a division page), and is made smaller
// where it would reach further.
inline constexpr double NameRightMargin = 400;

inline const QString KeyHeading = QStringLiteral("こたえ");

QPageLayout::Orientation orientation(Kind kind);

// "No. 7".
QString numberText(int number);

// The header captions of a grid sheet as the answer sheet takes them: the
// sign, the row operands, the columns; the unused tenth row and column of
// multiplication are blank.
std::array<QString, 21> captions(const Sheet& sheet);

// Division: the problem in row `row`, column `column`: "12÷3".
QString problemText(const Sheet& sheet, int row, int column);

inline const QString EqualsSign = QStringLiteral("＝");

// Division: where the problem's text, its 「＝」 and its answer box stand,
// and the whole place of the three.
QRectF problemRect(int row, int column);
QRectF equalsRect(int row, int column);
QRectF answerBox(int row, int column);
QRectF placeRect(int row, int column);

// Paints sheet `number` on one page of the painter's device (its answer key
// with `key`), with `name` after 「なまえ：」 unless it is empty. The
// printable area's edges stand `paperMargins` twips from the paper's. A
// division page is made smaller on paper too small for it.
void paint(QPainter& painter, const Sheet& sheet, int number, bool key, const QString& name = {},
    const QMarginsF& paperMargins = {});

} // namespace SheetPages
