// SPDX-License-Identifier: GPL-3.0-or-later
#include "scores/best_times.h"

#include "scores/time_text.h"
#include "scores/verdict.h"

using namespace Qt::StringLiterals;

QString bestTimesList(const BestTimes& best, int noneYet)
{
    QString list;
    for (const Kind kind : AllKinds)
        list
            += kindName(kind) + u"： "_s + minutesText(best.of(kind).value_or(noneYet)) + u"\r\n"_s;
    return list;
}

QString clearQuestion(const QString& list)
{
    return u"ハイスコアをクリア(初期化)します。\r\n\r\n"_s + list + u"\r\n\r\n"_s;
}

QString clearConfirmation(const QString& list)
{
    return u"ほんとうに、クリアしていいですか？\r\n\r\n"_s + list + u"\r\n\r\n"_s;
}
