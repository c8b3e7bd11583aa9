#pragma once

#include "WaveformDrawing.h"

namespace brivello {

// One rounded bar per sample, centred on the mid line.
class BarDrawer : public WaveformDrawing
{
public:
    struct Config
    {
        double barWidth = 2;
        double spacing = 1;
        double minBarHeight = 1;
        double cornerRadius = 1;
    };

    explicit BarDrawer(Config config, UpsampleStrategy strategy = UpsampleStrategy::smooth)
        : m_config(config)
        , m_upsampleStrategy(strategy)
    {}

    QPainterPath draw(std::span<const float> samples, const QRectF &rect) const override;
    qint64 sampleCount(const QSizeF &size) const override;
    UpsampleStrategy upsampleStrategy() const override { return m_upsampleStrategy; }
    const Config &config() const { return m_config; }

private:
    Config m_config;
    UpsampleStrategy m_upsampleStrategy;
};

} // namespace brivello
