#include "app/form1.h"

void Form1::LoadSettings()
{
    state.settings.fill(0);
    state.winPos.fill(0);
    const QPoint position = normalPosition();
    state.winPos[0] = position.y() * 15;
    state.winPos[1] = position.x() * 15;
    for (int slot : {SettingsSlot::BestAdd, SettingsSlot::BestSub, SettingsSlot::BestMul,
             SettingsSlot::TimeLimit, SettingsSlot::BestDiv})
        state.settings[slot] = 600;
}

void Form1::ApplySettings()
{
    move(state.winPos[1] / 15, state.winPos[0] / 15);
    state.bestAdd = state.settings[SettingsSlot::BestAdd];
    state.bestSub = state.settings[SettingsSlot::BestSub];
    state.bestMul = state.settings[SettingsSlot::BestMul];
    state.timeLimit = state.settings[SettingsSlot::TimeLimit];
    state.bestDiv = state.settings[SettingsSlot::BestDiv];
    state.calcKind = state.settings[SettingsSlot::Kind];
}

void Form1::SaveSettings()
{ }
