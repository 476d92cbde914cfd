// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <array>

class AnswerCell;
class Drill;
class QLabel;

// The board: the sign in its corner, the row and column headers and the
// hundred answer cells at their design places. It shows the drill's
// operands, open cell and cell texts, and hands the cells' keys,
// input-method text and clicks to the drill. It lies under the window's
// other controls, the size of the window, so that its places read as the
// window's.
class BoardView : public QWidget
{
    Q_OBJECT

public:
    explicit BoardView(QWidget* window);

    // Follows `drill` from now on.
    void bind(Drill& drill);

    // The sign and the twenty headers as shown, for the printed sheet.
    std::array<QString, 21> captions() const;
    // After a stop that was not confirmed, the child goes on typing.
    void focusOpenCell();
    // Between sheets: every cell locked, no header red.
    void lock();
    // The row and the column of the sheet's last cell, headers included, in
    // global coordinates: where the child finished.
    QList<QRect> lastLines() const;
    // The cells in their order, first in the window's tab order.
    const std::array<AnswerCell*, 100>& cells() const { return answerCells; }

    void showKind();
    void showOperands();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showOpenCell(int previous, int cell);
    void highlightCell(int cell, bool red);
    void updateAccessibleNames();
    bool cellEvent(int cell, QEvent* event);

    Drill* drill = nullptr;
    QLabel* signLabel = nullptr;
    std::array<QLabel*, 10> rowHeaders{};
    std::array<QLabel*, 10> columnHeaders{};
    std::array<AnswerCell*, 100> answerCells{};
};
