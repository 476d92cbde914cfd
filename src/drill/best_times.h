// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/kind.h"

#include <array>
#include <cstddef>
#include <optional>

// A child's best time of each kind in whole seconds, or none yet: before the
// first sheet that set one, and after they were cleared. How a file keeps
// "none yet" is the business of the file that keeps them.
class BestTimes
{
public:
    BestTimes() = default;
    explicit BestTimes(const std::array<std::optional<int>, 4>& inKindOrder)
        : times(inKindOrder)
    { }

    std::optional<int> of(Kind kind) const { return times[index(kind)]; }
    void set(Kind kind, int seconds) { times[index(kind)] = seconds; }
    void clear() { times.fill(std::nullopt); }

    bool operator==(const BestTimes&) const = default;

private:
    static std::size_t index(Kind kind) { return static_cast<std::size_t>(kindNumber(kind)); }

    std::array<std::optional<int>, 4> times{};
};
