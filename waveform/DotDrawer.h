#pragma once

#include "WaveformDrawing.h"

namespace brivello {

// Two dots per sample, above and below the mid line at the sample's half height.
class DotDrawer : public WaveformDrawing
{
public:
    struct Config
    {
        double dotRadius = 1.5;
        double spacing = 2;
        UpsampleStrategy upsampleStrategy = UpsampleStrategy::smooth; // stored, not consulted
    };

    explicit DotDrawer(Config config, UpsampleStrategy strategy = UpsampleStrategy::smooth)
        : m_config(config)
        , m_upsampleStrategy(strategy)
    {}

    QPainterPath draw(std::span<const float> samples, const QRectF &rect) const override;
    qint64 sampleCount(const QSizeF &size) const override
    {
        return countFor(size.width(), m_config.dotRadius + m_config.dotRadius + m_config.spacing);
    }
    UpsampleStrategy upsampleStrategy() const override { return m_upsampleStrategy; }

private:
    Config m_config;
    UpsampleStrategy m_upsampleStrategy;
};

} // namespace brivello
