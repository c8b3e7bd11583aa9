#pragma once

#include <QString>

namespace brivello {

// The player's user defaults.
inline const QString kPlayerVolumeKey = QStringLiteral("brivello.playerVolume");
inline constexpr float kDefaultPlayerVolume = 0.8f;

} // namespace brivello
