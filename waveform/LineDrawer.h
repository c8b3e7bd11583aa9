#pragma once

#include "WaveformDrawing.h"

namespace brivello {

// A polygon mirrored about the mid line, at least 2 points tall inside; `inverted` fills the
// area outside the waveform instead.
class LineDrawer : public WaveformDrawing
{
public:
    struct Config
    {
        bool inverted = false;
    };

    explicit LineDrawer(Config config, UpsampleStrategy strategy = UpsampleStrategy::linear)
        : m_config(config)
        , m_upsampleStrategy(strategy)
    {}

    QPainterPath draw(std::span<const float> samples, const QRectF &rect) const override;
    qint64 sampleCount(const QSizeF &size) const override { return countFor(size.width(), 1.0); }
    UpsampleStrategy upsampleStrategy() const override { return m_upsampleStrategy; }

private:
    Config m_config;
    UpsampleStrategy m_upsampleStrategy;
};

} // namespace brivello
