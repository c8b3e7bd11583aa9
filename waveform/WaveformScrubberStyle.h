#pragma once

#include "WaveformScrubberStyleConfiguration.h"

namespace brivello {

// Arranges and colours a scrubber's layers. Styles are immutable and shared by the views that
// use them. A style's own brushes only colour what carries no tint of its own: the tinted
// layers keep their tints.
class WaveformScrubberStyle
{
public:
    virtual ~WaveformScrubberStyle() = default;
    virtual void makeBody(QPainter &painter,
                          const WaveformScrubberStyleConfiguration &configuration) const = 0;
};

} // namespace brivello
