#include "app/desktop.h"
#include "app/form1.h"
#include "scores/verdict.h"

#include <QLabel>

using namespace Qt::StringLiterals;

namespace {

// The drill-state field holding the best time of `kind`, filed as the kind
// display files it.
std::int16_t& bestTimeOf(DrillState& state, int kind)
{
    switch (kindIndex(kind)) {
    case 0:
        return state.bestAdd;
    case 1:
        return state.bestSub;
    case 2:
        return state.bestMul;
    default:
        return state.bestDiv;
    }
}

} // namespace

void Form1::ShowKind()
{
    Label1->setText(highScoreText(bestTimeOf(state, state.calcKind)));
    L[0]->setText(kindSign(state.calcKind));
    Label1->setToolTip(u"ハイスコア"_s);
    state.settings[SettingsSlot::Kind] = state.calcKind;
}

void Form1::ShowResult()
{
    const int kind = state.calcKind;
    const int seconds = state.elapsedSeconds;
    std::int16_t& best = bestTimeOf(state, kind);
    const ResultMessage result = resultMessage(kind, seconds, best);

    QString newHighScore;
    if (result.verdict == Verdict::Record) {
        best = state.elapsedSeconds;
        state.settings[bestTimeSlot(kind)] = state.elapsedSeconds;
        newHighScore = highScoreText(seconds);
    }

    desktop().setClipboardText(result.clipboard);
    ask(desktop(), this, result.prompt, result.title, Desktop::Buttons::Ok);

    // The old best time stays on show while the child reads the verdict.
    if (result.verdict == Verdict::Record)
        Label1->setText(newHighScore);
}
