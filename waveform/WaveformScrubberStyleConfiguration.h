#pragma once

#include "AnyShape.h"

#include <QPainter>
#include <functional>

namespace brivello {

// What a scrubber hands its style for one paint: the whole waveform as a shape, and the
// played and unplayed parts as layers already tinted and masked.
struct WaveformScrubberStyleConfiguration
{
    using Layer = std::function<void(QPainter &)>;

    AnyShape waveform;
    Layer activeWaveform;
    Layer inactiveWaveform;
    QRectF rect;
};

} // namespace brivello
