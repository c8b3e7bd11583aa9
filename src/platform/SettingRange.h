#pragma once

#include <algorithm>
#include <cmath>
#include <optional>

namespace brivello {

// The clamp column of a key table: the range the setting's controls keep its value in. A
// stored value is read as written; controls show clamp() of it.
struct SettingRange
{
    double minimum = 0;
    double maximum = 0;

    // `value` within the range; `fallback` for a value that is not a number.
    double clamp(double value, double fallback) const
    {
        return std::isfinite(value) ? std::clamp(value, minimum, maximum) : fallback;
    }
};

inline constexpr std::optional<SettingRange> kUnclamped;

} // namespace brivello
