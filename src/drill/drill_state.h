#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The whole state of a drill. The header labels' captions are the sheet's
// operands as far as answer checking is concerned; the arrays here are the
// working buffers that drew them.
struct DrillState
{
    // Marks a slot of a draw buffer that has not been filled yet.
    static constexpr std::int16_t EmptySlot = 255;

    std::int16_t calcKind = 0; // 0 addition, 1 subtraction, 2 multiplication, 3 division
    std::array<std::int16_t, 10> operands{};
    std::array<std::int16_t, 10> dividends{};
    std::array<std::int16_t, 10> quotients{};
    std::int16_t elapsedSeconds = 0;
    std::int16_t bestAdd = 0;
    std::int16_t bestSub = 0;
    std::int16_t bestMul = 0;
    std::int16_t timeLimit = 0;
    std::int16_t bestDiv = 0;
    std::int16_t currentCell = 0;
    bool idle = false;
    std::int16_t digitCount = 0;
    std::int16_t firstDigit = 0;
    std::int16_t lastCell = 0;
    QString iniPath;
    // Window top [0] and left [1] in twips. Held in 32 bits: a window on a
    // wide or second screen lies beyond what 16 bits of twips can hold.
    std::array<std::int32_t, 4> winPos{};
    // The values as stored in the settings file: [0] T_MinTM, [1] H_MinTM,
    // [2] K_MonTM, [3] Calc_Md, [4] LimTM, [5] W_MinTM.
    std::array<std::int16_t, 21> settings{};
};

// The field holding the best time of `kind`: addition, subtraction,
// multiplication, and division for every other value.
inline std::int16_t& bestTimeOf(DrillState& state, int kind)
{
    switch (kind) {
    case 0:
        return state.bestAdd;
    case 1:
        return state.bestSub;
    case 2:
        return state.bestMul;
    default:
        return state.bestDiv;
    }
}

// Indexes into DrillState::settings.
namespace SettingsSlot {
inline constexpr int BestAdd = 0;
inline constexpr int BestSub = 1;
inline constexpr int BestMul = 2;
inline constexpr int Kind = 3;
inline constexpr int TimeLimit = 4;
inline constexpr int BestDiv = 5;
} // namespace SettingsSlot
