// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_file.h"

#include "settings/profile.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr QByteArrayView General = "General";
constexpr QByteArrayView Parameter = "Parameter";
constexpr QByteArrayView WindowTop = "Win_Top";
constexpr QByteArrayView WindowLeft = "Win_Lft";
constexpr QByteArrayView KindKey = "Calc_Md";
constexpr QByteArrayView TimeLimitKey = "LimTM";

// In the order a new file lists them; the kind and the time limit stand
// between multiplication and division.
constexpr std::array<QByteArrayView, 4> BestTimeKeys = {"T_MinTM", "H_MinTM", "K_MonTM", "W_MinTM"};

// What a missing or empty key reads as. No position this program writes is
// -1 twips (a pixel is 15), and -1 is no valid time or kind either.
constexpr std::int32_t Missing = -1;

// The drill counts seconds in 16 bits.
constexpr std::int32_t MaxSeconds = 32767;

int bestSeconds(std::int32_t stored)
{
    return stored >= 1 && stored <= MaxSeconds ? stored : Settings::DefaultSeconds;
}

// The file keeps none yet as 600, and 600 reads back as none yet.
std::optional<int> bestFromStored(int stored)
{
    return stored == Settings::DefaultSeconds ? std::nullopt : std::optional(stored);
}

int storedBest(const Settings& settings, Kind kind)
{
    return settings.bestTimes.of(kind).value_or(Settings::DefaultSeconds);
}

int limitSeconds(std::int32_t stored)
{
    return stored >= 0 && stored <= MaxSeconds ? stored : Settings::DefaultSeconds;
}

// The time limit and the division best time came last to the file: one
// that lacks them, or holds a negative value, gains them with 600 as soon as
// it is read, as it always did. No other key is written at start-up.
void repairLateKeys(const QString& path, const QByteArray& text)
{
    std::optional<QByteArray> repaired = text;
    for (const QByteArrayView key : {TimeLimitKey, BestTimeKeys[3]}) {
        if (repaired && Profile::readInt(*repaired, Parameter, key, Missing) < 0)
            repaired = Profile::writeValue(
                *repaired, Parameter, key, QByteArray::number(Settings::DefaultSeconds));
    }
    // A failed write changes nothing read: the values are repaired in
    // memory, and the next save writes them or tells that it could not.
    if (repaired && *repaired != text)
        (void)Profile::writeFile(path, *repaired);
}

} // namespace

Settings settingsFromText(QByteArrayView text, QPoint startTwips)
{
    Settings settings;
    const std::int32_t top = Profile::readInt(text, General, WindowTop, Missing);
    const std::int32_t left = Profile::readInt(text, General, WindowLeft, Missing);
    if (top != Missing || left != Missing)
        settings.windowTwips = QPoint(
            left == Missing ? startTwips.x() : left, top == Missing ? startTwips.y() : top);

    for (const Kind kind : AllKinds) {
        const std::optional<int> best = bestFromStored(bestSeconds(Profile::readInt(
            text, Parameter, BestTimeKeys[static_cast<std::size_t>(kindNumber(kind))], Missing)));
        if (best)
            settings.bestTimes.set(kind, *best);
    }
    settings.kind = kindFromNumber(Profile::readInt(text, Parameter, KindKey, Missing));
    settings.timeLimit = limitSeconds(Profile::readInt(text, Parameter, TimeLimitKey, Missing));
    return settings;
}

std::optional<QByteArray> settingsText(QByteArrayView text, const Settings& settings)
{
    std::optional<QByteArray> result = text.toByteArray();
    const auto set = [&result](QByteArrayView section, QByteArrayView key, int value) {
        if (result)
            result = Profile::writeValue(*result, section, key, QByteArray::number(value));
    };
    if (settings.windowTwips) {
        set(General, WindowTop, settings.windowTwips->y());
        set(General, WindowLeft, settings.windowTwips->x());
    }
    set(Parameter, BestTimeKeys[0], storedBest(settings, Kind::Addition));
    set(Parameter, BestTimeKeys[1], storedBest(settings, Kind::Subtraction));
    set(Parameter, BestTimeKeys[2], storedBest(settings, Kind::Multiplication));
    set(Parameter, KindKey, kindNumber(settings.kind));
    set(Parameter, TimeLimitKey, settings.timeLimit);
    set(Parameter, BestTimeKeys[3], storedBest(settings, Kind::Division));
    return result;
}

SettingsFile::SettingsFile(SettingsLocation location)
    : location(std::move(location))
{ }

Outcome<SettingsFile::Loaded> SettingsFile::load(QPoint startTwips) const
{
    const Failure unusable{Failed::SettingsUnusable, location.path};
    if (!location.usable)
        return unusable;
    switch (Profile::inspect(location.path)) {
    case Profile::Entry::Missing: {
        Settings defaults;
        defaults.windowTwips = startTwips;
        if (save(defaults))
            return unusable;
        return Loaded{defaults, Status::Created};
    }
    case Profile::Entry::File:
        if (const std::optional<QByteArray> text = Profile::readFile(location.path)) {
            repairLateKeys(location.path, *text);
            return Loaded{settingsFromText(*text, startTwips), Status::Loaded};
        }
        break;
    case Profile::Entry::Refused:
        break;
    }
    return unusable;
}

Done SettingsFile::save(const Settings& settings) const
{
    const Failure notSaved{Failed::SettingsNotSaved, location.path};
    if (!location.usable)
        return notSaved;
    QByteArray old;
    bool existed = false;
    switch (Profile::inspect(location.path)) {
    case Profile::Entry::Missing:
        break;
    case Profile::Entry::File:
        // Keys written into nothing would throw away the records it holds.
        if (const std::optional<QByteArray> text = Profile::readFile(location.path)) {
            old = *text;
            existed = true;
            break;
        }
        return notSaved;
    case Profile::Entry::Refused:
        return notSaved;
    }
    const std::optional<QByteArray> text = settingsText(old, settings);
    if (!text)
        return Failure{
            Failed::SettingsNotSaved, location.path, u"its text cannot take the keys (UTF-16)"_s};
    // Rewriting the same bytes would only wear the disk.
    if ((existed && *text == old) || Profile::writeFile(location.path, *text))
        return {};
    return notSaved;
}
