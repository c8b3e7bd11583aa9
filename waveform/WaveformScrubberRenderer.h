#pragma once

#include "ScrubberConfig.h"
#include "WaveformDrawing.h"
#include "WaveformScrubberStyle.h"

#include <QPainter>
#include <memory>
#include <vector>

namespace brivello {

// Paints a scrubber's waveform split at a progress: builds the shape, the two tinted and
// masked layers and lets the style arrange them. Widget-free, so it can paint into any
// device; used by the scrubbing view on the main thread.
class WaveformScrubberRenderer
{
public:
    // `progress` outside 0 … 1 puts the split at the nearer edge.
    static void paint(QPainter &painter,
                      const QSizeF &size,
                      const std::vector<float> &samples,
                      const std::shared_ptr<const WaveformDrawing> &drawer,
                      double progress,
                      const ScrubberConfig &config,
                      const WaveformScrubberStyle &style);

    // The x of the split in a view `width` wide.
    static double splitX(double width, double progress);
};

} // namespace brivello
