// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/kind_text.h"

#include <QString>

// What a finished sheet's time means against the best time of its kind, and
// what the child is told. Pure: no window, no clipboard.

enum class Verdict {
    Record, // faster than the best time
    NearMiss, // the best time itself, or up to 9 seconds slower
    Miss, // 10 seconds or more slower
};

Verdict judgeTime(int seconds, int best);

// The name in brackets, as the clipboard line starts: "[たしざん]".
QString kindLabel(Kind kind);

// "ハイスコア： 1分05秒".
QString highScoreText(int best);

struct ResultMessage
{
    Verdict verdict;
    QString title;
    // The time sentence, two carriage returns, the verdict line.
    QString prompt;
    // The kind's label and the time, for the clipboard.
    QString clipboard;
};

ResultMessage resultMessage(Kind kind, int seconds, int best);
