#include "VolumeWheelStep.h"

#include <algorithm>

namespace brivello {

VolumeWheelStep::Delta VolumeWheelStep::delta(const QPoint &pixelDelta, const QPoint &angleDelta)
{
    if (!pixelDelta.isNull())
        return {double(pixelDelta.y() != 0 ? pixelDelta.y() : pixelDelta.x()), true};
    const int angle = angleDelta.y() != 0 ? angleDelta.y() : angleDelta.x();
    return {angle / kNotchAngle, false};
}

double VolumeWheelStep::slider(double value, const Delta &delta)
{
    return std::clamp(value + delta.value * kSliderStep, 0.0, 1.0);
}

double VolumeWheelStep::waveform(double value, const Delta &delta)
{
    const double step = delta.precise ? kPreciseStep : kNotchStep;
    return std::clamp(value + delta.value * step, 0.0, 1.0);
}

} // namespace brivello
