#pragma once

#include "ScrubberConfig.h"
#include "WaveformDrawing.h"
#include "WaveformScrubberStyle.h"

#include <QImage>
#include <QPainter>
#include <memory>
#include <vector>

namespace brivello {

// Paints a scrubber's waveform split at a progress: builds the shape, the two tinted and
// masked layers and lets the style arrange them. The waveform is rasterised once per set of
// samples, size and tints, so a paint that only moves the split copies two images. Owned by
// one view and used on its thread; widget-free, so it can paint into any device.
class WaveformScrubberRenderer
{
public:
    // `progress` outside 0 … 1 puts the split at the nearer edge.
    void paint(QPainter &painter,
               const QSizeF &size,
               const std::vector<float> &samples,
               const std::shared_ptr<const WaveformDrawing> &drawer,
               double progress,
               const ScrubberConfig &config,
               const WaveformScrubberStyle &style);

    // The x of the split in a view `width` wide.
    static double splitX(double width, double progress);

private:
    struct Key
    {
        std::vector<float> samples;
        QSizeF size;
        const WaveformDrawing *drawer = nullptr;
        qreal pixelRatio = 0;
        QBrush activeTint;
        QBrush inactiveTint;
        bool operator==(const Key &) const = default;
    };
    Key m_key;
    QImage m_active;   // the whole waveform in the active tint
    QImage m_inactive; // the same in the inactive tint

    void rasterise(Key key, const QPainterPath &path);
};

} // namespace brivello
