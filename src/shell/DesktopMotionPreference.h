#pragma once

#include <QString>
#include <optional>

namespace brivello {

// What the Linux desktop says about animations: GNOME's "enable-animations" (through gsettings,
// or dconf where gsettings is missing) and KDE's "AnimationDurationFactor" in kdeglobals. Each
// source counts only where it is present. Any thread; reads block for at most a second.
class DesktopMotionPreference
{
public:
    // True when a present desktop setting switches animations off.
    static bool asksToReduceMotion();

    // GNOME's answer, or nothing when neither program knows the key.
    static std::optional<bool> gnomeAnimationsEnabled();
    // KDE's animation speed factor (0 is "instant"), or nothing without the entry.
    static std::optional<double> kdeAnimationDurationFactor();
    // The reply of `gsettings get` or `dconf read` for a Boolean: "true", "false" or nothing.
    static std::optional<bool> parseBoolean(const QString &reply);
};

} // namespace brivello
