#pragma once

#include <QColor>
#include <QString>

namespace brivello {

// The waveform colour of a preset ("white", "cyan", "violet", "lime", "custom") in the light
// or the dark appearance, shared by the player and the settings preview. Pure.
class WaveformTint
{
public:
    // Unknown presets are "white"; custom components outside 0…1 are clamped.
    static QColor color(const QString &preset, double red, double green, double blue, bool light);
    // The played part of the waveform and the rest.
    static QColor active(const QColor &color);
    static QColor inactive(const QColor &color, bool light);
};

} // namespace brivello
