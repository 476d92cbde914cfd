// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/records_text.h"

#include "app/date_text.h"
#include "scores/time_text.h"
#include "scores/verdict.h"

#include <QDate>
#include <QStringList>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

// A best time of ten minutes is the value of one never set or cleared.

} // namespace

QString factText(Kind kind, const FactOperands& fact)
{
    // The board asks the column operand first: top minus left, top divided
    // by left.
    return QString::number(fact.top) + kindSign(kind) + QString::number(fact.left);
}

QString factStateText(FactState state, Words words)
{
    const bool adult = words == Words::Adult;
    switch (state) {
    case FactState::Known:
        return adult ? u"覚えた"_s : u"おぼえた"_s;
    case FactState::Met:
        return adult ? u"練習中"_s : u"もう すこし"_s;
    case FactState::Slow:
        return adult ? u"遅い・間違いあり"_s : u"じかんが かかった・まちがえた"_s;
    case FactState::NotMet:
        break;
    }
    return adult ? u"未出題"_s : u"まだ でて いない"_s;
}

QString factDetail(Kind kind, const FactOperands& operands, const FactStat* stat, Words words,
    std::optional<FactState> state)
{
    const bool adult = words == Words::Adult;
    const QString fact = factText(kind, operands) + u"： "_s;
    if (!stat || stat->answers == 0)
        return fact + (adult ? u"まだ出ていません"_s : u"まだ でて いません"_s);
    // A fact answered but not among the sheets the state is judged by says
    // nothing of it.
    const QString stateText
        = state && *state != FactState::NotMet ? u"、"_s + factStateText(*state, words) : QString();
    // The typical time of the newest answers; a sheet's first answer has
    // none.
    const QString time = stat->timedAnswers == 0 ? (adult ? u"時間なし"_s : u"じかん なし"_s)
                                                 : (adult ? u"中央値 "_s : u"だいたい "_s)
            + QString::number(stat->medianMilliseconds / 1000.0, 'f', 1) + u"秒"_s;
    return fact + time + (adult ? u"、間違い "_s : u"、まちがい "_s)
        + QString::number(stat->wrongDigits) + stateText;
}

QString slowestSentence(Kind kind, const QList<FactStat>& facts, Words words)
{
    struct Placed
    {
        FactStat stat;
        int place;
    };
    const FactGrid grid = factGrid(kind);
    QList<Placed> met;
    for (const FactStat& fact : facts) {
        const auto place = grid.place({fact.left, fact.top});
        if (place && fact.timedEnough())
            met.append({fact, *place});
    }
    // Slowest first; among equal times the one with more wrong digits, then
    // the map's reading order, so the sentence does not change from one
    // opening to the next.
    std::stable_sort(met.begin(), met.end(), [](const Placed& a, const Placed& b) {
        if (a.stat.medianMilliseconds != b.stat.medianMilliseconds)
            return a.stat.medianMilliseconds > b.stat.medianMilliseconds;
        if (a.stat.wrongDigits != b.stat.wrongDigits)
            return a.stat.wrongDigits > b.stat.wrongDigits;
        return a.place < b.place;
    });

    QStringList slowest;
    for (const Placed& fact : met.first(std::min<qsizetype>(met.size(), 5)))
        slowest.append(factText(kind, {fact.stat.left, fact.stat.top}));
    const QString head = words == Words::Adult ? u"遅い問題： "_s : u"おそい もんだい： "_s;
    if (slowest.isEmpty())
        return head + (words == Words::Adult ? u"まだありません"_s : u"まだ ありません"_s);
    return head + slowest.join(u"、"_s);
}

QDate calendarStart(const QDate& today)
{
    // dayOfWeek() counts Monday as 1.
    return today.addDays(-(today.dayOfWeek() - 1) - 7 * 7);
}

QString weekText(int practiceDays)
{
    return u"こんしゅう "_s + QString::number(practiceDays) + u"/4 にち"_s;
}

QString sheetDateText(const QDateTime& finishedAt)
{
    // The day and hour the sheet was kept with, not moved into today's zone.
    return yearText(finishedAt.date()) + dayText(finishedAt.date()) + u' '
        + finishedAt.time().toString(u"H:mm"_s);
}

QString graphSummary(
    Kind kind, const StoredSheet* newest, std::optional<int> best, int sheetsShown, bool allDays)
{
    QString text = kindName(kind) + u"： "_s;
    text += newest ? u"さいごの タイム "_s + minutesText(newest->seconds)
                   : u"まだ きろくが ありません"_s;
    text += best ? u"、ハイスコア "_s + minutesText(*best) : u"、ハイスコア なし"_s;
    text += (allDays ? u"、ぜんぶで "_s : u"、30にちで "_s) + QString::number(sheetsShown)
        + u"まい"_s;
    return text;
}

QString knownSummary(Kind kind, int known, int outOf, int gained, bool allDays)
{
    const QString change = gained > 0 ? QString::number(gained) + u" ふえた"_s
        : gained < 0                  ? QString::number(-gained) + u" へった"_s
                                      : u"かわらない"_s;
    return kindName(kind) + u"： おぼえた もんだい "_s + QString::number(known) + u'/'
        + QString::number(outOf) + (allDays ? u"、ぜんぶで "_s : u"、30にちで "_s) + change;
}

QString sheetCountList(const std::array<int, 4>& counts)
{
    QString list;
    for (Kind kind : AllKinds) {
        list += kindName(kind) + u"： "_s + QString::number(counts[kindNumber(kind)])
            + u"まい\r\n"_s;
    }
    return list;
}

QString unreadableText()
{
    return u"きろくを よめませんでした。"_s;
}

QString noSheetsText()
{
    return u"まだ ありません"_s;
}

QString keptWords(const QString& text)
{
    static constexpr QChar Joiner(0x2060);
    const auto breaksAfter = [](QChar c) {
        return c.isSpace() || c == u'、' || c == u'。' || c == u'，' || c == u'．';
    };
    QString kept;
    kept.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        kept += c;
        const bool last = i + 1 == text.size();
        // Not inside a surrogate pair, nor beside a space or a break.
        if (last || c.isHighSurrogate() || breaksAfter(c) || text.at(i + 1).isSpace())
            continue;
        kept += Joiner;
    }
    return kept;
}

QString notKeptText(int sheets)
{
    if (sheets <= 0)
        return {};
    return u"この かいの きろくの うち "_s + QString::number(sheets)
        + u"まいは ほぞん できませんでした。"_s;
}

QString waitingText(std::optional<int> sheets)
{
    if (!sheets)
        return {};
    if (*sheets == 0)
        return u"クラスの サーバーに まだ おくって いない きろくは ありません。"_s;
    return u"クラスの サーバーに まだ おくって いない きろく： "_s + QString::number(*sheets)
        + u"まい"_s;
}
