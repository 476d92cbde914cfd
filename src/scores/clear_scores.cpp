// SPDX-License-Identifier: GPL-3.0-or-later
#include "scores/best_times.h"

#include "scores/time_text.h"
#include "scores/verdict.h"

using namespace Qt::StringLiterals;

QString bestTimesList(const std::array<int, 4>& best)
{
    QString list;
    for (const Kind kind : AllKinds)
        list += kindName(kind) + u"： "_s + minutesText(best[std::size_t(kindNumber(kind))])
            + u"\r\n"_s;
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
