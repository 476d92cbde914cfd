// SPDX-License-Identifier: GPL-3.0-or-later
#include "scores/verdict.h"

#include "scores/time_text.h"

using namespace Qt::StringLiterals;

Verdict judgeTime(int seconds, int best)
{
    if (seconds < best)
        return Verdict::Record;
    // In int: a best time near the 16-bit limit plus the margin must not wrap.
    if (seconds < best + 10)
        return Verdict::NearMiss;
    return Verdict::Miss;
}

QString kindLabel(Kind kind)
{
    return u'[' + kindName(kind) + u']';
}

QString highScoreText(int best)
{
    return u"ハイスコア： "_s + minutesText(best);
}

ResultMessage resultMessage(Kind kind, int seconds, int best)
{
    const Verdict verdict = judgeTime(seconds, best);
    QString title;
    QString line;
    switch (verdict) {
    case Verdict::Record:
        title = u"きろくこうしん！！"_s;
        line = u"ハイスコアです。"_s;
        break;
    case Verdict::NearMiss:
        title = u"おしい！"_s;
        line = u"もう少しでハイスコアです。"_s;
        break;
    case Verdict::Miss:
        title = u"ざんねん"_s;
        line = u"もっとがんばりましょう。"_s;
        break;
    }
    const QString time = shortText(seconds);
    // Carriage returns alone: the box turns them into line breaks.
    return {verdict, title, time + u"でした。\r\r"_s + line, kindLabel(kind) + time};
}
