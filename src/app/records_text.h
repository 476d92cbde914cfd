// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/kind.h"
#include "drill/known_facts.h"
#include "records/record_store.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

class QDate;

// What the records window says, apart from the widgets that say it.

// The children's words, in spaced hiragana, or the teacher's, in ordinary
// written Japanese.
enum class Words { Child, Adult };

// A fact as the board asks it, the column operand first: "3＋4", "13－6",
// "8×7", "56÷8".
QString factText(Kind kind, const FactOperands& fact);

// How a fact stands, in a word: "おぼえた", "もう すこし",
// "じかんが かかった・まちがえた", "まだ でて いない"; for the teacher
// "覚えた", "練習中", "遅い・間違いあり", "未出題".
QString factStateText(FactState state, Words words = Words::Child);

// "8×7： だいたい 2.4秒、まちがい 2" (the median time), "… じかん なし、…"
// for a fact met only as a sheet's first answer, or "… まだ でて いません"
// for a fact not met; with its state, when known, after it: "…、おぼえた".
// For the teacher: "8×7： 中央値 2.4秒、間違い 2", "… 時間なし、…",
// "… まだ出ていません".
QString factDetail(Kind kind, const FactOperands& fact, const FactStat* stat,
    Words words = Words::Child, std::optional<FactState> state = {});

// "おそい もんだい： 8×7、9×6" with up to five facts, slowest first, of
// those timed more than once.
// For the teacher: "遅い問題： 8×7、9×6".
QString slowestSentence(Kind kind, const QList<FactStat>& facts, Words words = Words::Child);

// The Monday that opens the eight weeks ending with today's week.
QDate calendarStart(const QDate& today);
// "こんしゅう 3/4 にち".
QString weekText(int practiceDays);

// "2025年2月10日(月) 9:30".
QString sheetDateText(const QDateTime& finishedAt);

// One sentence for the graph of `kind`: the kind, the newest time, the best
// time and how many sheets the graph shows. `newest` is null when the kind
// has no sheet yet, `best` empty when there is no best time yet.
QString graphSummary(
    Kind kind, const StoredSheet* newest, std::optional<int> best, int sheetsShown, bool allDays);

// The graph of facts known by heart in one sentence: how many now, out of
// `outOf`, and how many more (or fewer) than at the start of the span
// shown: "たしざん： おぼえた もんだい 37/100、30にちで 12 ふえた".
QString knownSummary(Kind kind, int known, int outOf, int gained, bool allDays);

// The four kinds with their number of stored sheets, one line each, every
// line ended by CRLF: "たしざん： 12まい".
QString sheetCountList(const std::array<int, 4>& counts);

// Shown in place of a part of the window whose records could not be read.
QString unreadableText();
// Shown over a graph or a table of a kind with no sheet: 「まだ ありません」.
QString noSheetsText();

// `text` with a word joiner between the characters of each word, so that a
// wrapped label breaks its lines only at spaces, after 「、」 and 「。」 and
// at line ends, never inside a word (Japanese text may otherwise break
// between any two characters). For display only: the accessible name keeps
// `text`.
QString keptWords(const QString& text);
// How many sheets of this run could not be stored; empty for none.
QString notKeptText(int sheets);
// How many sheets wait to be sent to the class server; empty when unknown.
QString waitingText(std::optional<int> sheets);
