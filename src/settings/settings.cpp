#include "app/form1.h"

#include "settings/cinifiles.h"
#include "settings/window_place.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {

constexpr std::int32_t DefaultSeconds = 600;
constexpr std::int32_t MissingValue = -1;

bool validSeconds(std::int32_t value)
{
    return value >= 0 && value <= 32767;
}

// A best time or time limit that is missing, negative or too large for the
// drill is written back as 600 and read again. A best time of -1 would be
// shown as a negative time and could never be beaten.
std::int16_t readSeconds(CIniFiles& ini, const QString& key)
{
    std::int32_t value = ini.GetValues(key);
    if (!validSeconds(value)) {
        ini.SetValues(key, DefaultSeconds);
        value = ini.GetValues(key);
    }
    // A file that takes no repair still gives a usable time.
    return static_cast<std::int16_t>(validSeconds(value) ? value : DefaultSeconds);
}

} // namespace

void Form1::LoadSettings()
{
    std::fill_n(state.settings.begin(), 11, std::int16_t(0));
    std::fill_n(state.winPos.begin(), 3, 0);

    // Where the window stands before any setting is applied: what a new file
    // records, and where the window stays when the file has no position.
    const QPoint start = normalPosition();
    const std::int32_t startTop = WindowPlace::toTwips(start.y());
    const std::int32_t startLeft = WindowPlace::toTwips(start.x());

    if (!QFileInfo::exists(state.iniPath)) {
        Ini->Section(u"General"_s);
        Ini->SetValues(u"Win_Top"_s, startTop);
        Ini->SetValues(u"Win_Lft"_s, startLeft);
        Ini->Section(u"Parameter"_s);
        Ini->SetValues(u"T_MinTM"_s, DefaultSeconds);
        Ini->SetValues(u"H_MinTM"_s, DefaultSeconds);
        Ini->SetValues(u"K_MonTM"_s, DefaultSeconds);
        Ini->SetValues(u"Calc_Md"_s, 0);
        Ini->SetValues(u"LimTM"_s, DefaultSeconds);
        Ini->SetValues(u"W_MinTM"_s, DefaultSeconds);
    }

    // No position this program writes is -1 twips (a pixel is 15), so -1 is
    // a missing key.
    Ini->Section(u"General"_s);
    const std::int32_t top = Ini->GetValues(u"Win_Top"_s);
    const std::int32_t left = Ini->GetValues(u"Win_Lft"_s);
    state.winPos[0] = top == MissingValue ? startTop : top;
    state.winPos[1] = left == MissingValue ? startLeft : left;

    Ini->Section(u"Parameter"_s);
    state.settings[SettingsSlot::BestAdd] = readSeconds(*Ini, u"T_MinTM"_s);
    state.settings[SettingsSlot::BestSub] = readSeconds(*Ini, u"H_MinTM"_s);
    state.settings[SettingsSlot::BestMul] = readSeconds(*Ini, u"K_MonTM"_s);
    // A kind the drill does not know is addition.
    const std::int32_t kind = Ini->GetValues(u"Calc_Md"_s);
    state.settings[SettingsSlot::Kind]
        = static_cast<std::int16_t>(kind >= 0 && kind <= 3 ? kind : 0);
    state.settings[SettingsSlot::TimeLimit] = readSeconds(*Ini, u"LimTM"_s);
    state.settings[SettingsSlot::BestDiv] = readSeconds(*Ini, u"W_MinTM"_s);
}

void Form1::ApplySettings()
{
    const QPoint saved(
        WindowPlace::fromTwips(state.winPos[1]), WindowPlace::fromTwips(state.winPos[0]));
    QPoint target = saved;
    // A position saved on a screen that is gone (or a hand-edited one) would
    // open the window where nobody can see it.
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        QList<QRect> screens;
        for (const QScreen* screen : QGuiApplication::screens())
            screens.append(screen->availableGeometry());
        target = WindowPlace::place(
            saved, frameGeometry().size(), screens, primary->availableGeometry());
    }
    if (target != normalPosition())
        move(target);

    state.bestAdd = state.settings[SettingsSlot::BestAdd];
    state.bestSub = state.settings[SettingsSlot::BestSub];
    state.bestMul = state.settings[SettingsSlot::BestMul];
    state.timeLimit = state.settings[SettingsSlot::TimeLimit];
    state.bestDiv = state.settings[SettingsSlot::BestDiv];
    state.calcKind = state.settings[SettingsSlot::Kind];
}

void Form1::storeWindowPosition()
{
    const QPoint position = normalPosition();
    state.winPos[0] = WindowPlace::toTwips(position.y());
    state.winPos[1] = WindowPlace::toTwips(position.x());
}

void Form1::SaveSettings()
{
    // The place the window comes back to: its normal place, also while it is
    // minimised or maximised.
    const QPoint position = normalPosition();
    Ini->Section(u"General"_s);
    Ini->SetValues(u"Win_Top"_s, WindowPlace::toTwips(position.y()));
    Ini->SetValues(u"Win_Lft"_s, WindowPlace::toTwips(position.x()));
    Ini->Section(u"Parameter"_s);
    Ini->SetValues(u"T_MinTM"_s, state.settings[SettingsSlot::BestAdd]);
    Ini->SetValues(u"H_MinTM"_s, state.settings[SettingsSlot::BestSub]);
    Ini->SetValues(u"K_MonTM"_s, state.settings[SettingsSlot::BestMul]);
    Ini->SetValues(u"Calc_Md"_s, state.settings[SettingsSlot::Kind]);
    Ini->SetValues(u"LimTM"_s, state.settings[SettingsSlot::TimeLimit]);
    Ini->SetValues(u"W_MinTM"_s, state.settings[SettingsSlot::BestDiv]);
}
