#include "app/form1.h"

#include "drill/draw.h"

#include <QLabel>
#include <QPushButton>

namespace {

// The three cases of a new sheet's layout: all 100 cells, or only the
// 9 x 9 of multiplication and division.
void setBoardInUse(Form1& form, bool fullBoard)
{
    form.state.lastCell = fullBoard ? 99 : 88;
    form.Btn[5]->setEnabled(fullBoard);
    form.Btn[6]->setEnabled(fullBoard);
    form.L[10]->setEnabled(fullBoard);
    form.L[20]->setEnabled(fullBoard);
}

UnitRandom uniform(QRandomGenerator& generator)
{
    return [&generator] { return generator.generateDouble(); };
}

} // namespace

void Form1::MakeSheet()
{
    if (state.calcKind == 3) {
        setBoardInUse(*this, false);
        MakeDivisionOperands();
        for (int i = 0; i < 10; ++i) {
            L[1 + i]->setText(QString::number(state.operands[i]));
            L[11 + i]->setText(QString::number(state.dividends[i]));
        }
        updateAccessibleNames();
        return;
    }

    setBoardInUse(*this, state.calcKind != 2);
    ShuffleOperands();
    for (int i = 0; i < 10; ++i)
        L[1 + i]->setText(QString::number(state.operands[i]));
    ShuffleOperands();
    for (int i = 0; i < 10; ++i) {
        if (state.calcKind == 1)
            state.operands[i] += 10;
        L[11 + i]->setText(QString::number(state.operands[i]));
    }
    updateAccessibleNames();
}

void Form1::ShuffleOperands()
{
    int count = 10;
    if (state.calcKind == 2) {
        count = 9;
        state.operands[9] = 0;
        state.dividends[9] = 0;
    }
    std::fill_n(state.operands.begin(), count, DrillState::EmptySlot);
    drawDistinct(state.operands, count, uniform(rng));
}

void Form1::MakeDivisionOperands()
{
    std::fill_n(state.operands.begin(), 9, DrillState::EmptySlot);
    std::fill_n(state.dividends.begin(), 9, DrillState::EmptySlot);
    state.operands[9] = 0;
    state.dividends[9] = 0;
    drawDistinct(state.operands, 9, uniform(rng));
    drawDistinct(state.dividends, 9, uniform(rng));
    for (int i = 0; i < 9; ++i)
        state.quotients[i] = state.dividends[i];
    for (int i = 0; i < 9; ++i)
        state.dividends[i] = static_cast<std::int16_t>(state.quotients[i] * state.operands[0]);
}

void Form1::MakeDivisionRow()
{
    std::fill_n(state.quotients.begin(), 9, DrillState::EmptySlot);
    state.quotients[9] = 0;
    drawDistinct(state.quotients, 9, uniform(rng));
    const int row = state.currentCell / 10;
    for (int i = 0; i < 9; ++i) {
        state.dividends[i] = static_cast<std::int16_t>(state.operands[row] * state.quotients[i]);
        L[11 + i]->setText(QString::number(state.dividends[i]));
    }
    updateAccessibleNames();
}
