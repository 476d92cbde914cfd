#include "app/desktop.h"
#include "app/form1.h"
#include "scores/verdict.h"

#include <QLabel>

using namespace Qt::StringLiterals;

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
