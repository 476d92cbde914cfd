#include "app/form1.h"

#include "scores/time_text.h"

#include <QLabel>

using namespace Qt::StringLiterals;

void Form1::ShowKind()
{
    static const char16_t* const signs[] = {u"＋", u"－", u"×", u"÷"};
    const int kind = state.calcKind >= 0 && state.calcKind <= 2 ? state.calcKind : 3;
    L[0]->setText(QString::fromUtf16(signs[kind]));
    const int best = kind == 0 ? state.bestAdd
        : kind == 1            ? state.bestSub
        : kind == 2            ? state.bestMul
                               : state.bestDiv;
    Label1->setText(u"ハイスコア： "_s + minutesText(best));
    Label1->setToolTip(u"ハイスコア"_s);
    state.settings[SettingsSlot::Kind] = state.calcKind;
}

void Form1::ShowResult()
{ }
