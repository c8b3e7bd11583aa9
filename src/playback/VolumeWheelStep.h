#pragma once

#include <QPoint>

namespace brivello {

// How wheel and trackpad scrolling changes the volume. A delta is the vertical scroll, or the
// horizontal one when the vertical is exactly 0: pixels for precise (trackpad) scrolling,
// notches for a classic wheel. Pure.
class VolumeWheelStep
{
public:
    static constexpr double kSliderStep = 0.012;
    static constexpr double kPreciseStep = 0.004;
    static constexpr double kNotchStep = 0.035;
    static constexpr double kNotchAngle = 120; // eighths of a degree per notch

    struct Delta
    {
        double value = 0;
        bool precise = false;
    };
    static Delta delta(const QPoint &pixelDelta, const QPoint &angleDelta);

    // On the slider: value + 0.012 × delta, clamped.
    static double slider(double value, const Delta &delta);
    // Over the waveform: value + delta × (0.004 precise, 0.035 per notch), clamped.
    static double waveform(double value, const Delta &delta);
};

} // namespace brivello
