#include "app/desktop.h"
#include "app/form1.h"

#include "scores/time_text.h"
#include "scores/verdict.h"

using namespace Qt::StringLiterals;

namespace {

constexpr std::int16_t ClearedSeconds = 600;

// The four best times, one line each, every line ended by CRLF.
QString bestTimesList(DrillState& state)
{
    QString list;
    for (int kind = 0; kind < 4; ++kind)
        list += kindName(kind) + u"： "_s + minutesText(bestTimeOf(state, kind)) + u"\r\n"_s;
    return list;
}

} // namespace

void Form1::Label3_Click()
{
    if (!state.idle)
        return;

    const QString list = bestTimesList(state);
    if (ask(desktop(), this, u"ハイスコアをクリア(初期化)します。\r\n\r\n"_s + list + u"\r\n\r\n"_s,
            u"ハイスコア"_s, Desktop::Buttons::YesNoCancel)
        != Desktop::Answer::Yes)
        return;
    if (ask(desktop(), this, u"ほんとうに、クリアしていいですか？\r\n\r\n"_s + list + u"\r\n\r\n"_s,
            u"もういちどかくにん"_s, Desktop::Buttons::YesNo)
        != Desktop::Answer::Yes)
        return;

    state.settings[SettingsSlot::BestAdd] = ClearedSeconds;
    state.settings[SettingsSlot::BestSub] = ClearedSeconds;
    state.settings[SettingsSlot::BestMul] = ClearedSeconds;
    state.settings[SettingsSlot::TimeLimit] = ClearedSeconds;
    storeWindowPosition();
    state.settings[SettingsSlot::BestDiv] = ClearedSeconds;
    SaveSettings();
    ApplySettings();
    ShowKind();
}
