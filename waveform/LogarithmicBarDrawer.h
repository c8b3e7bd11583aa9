#pragma once

#include "BarDrawer.h"

#include <vector>

namespace brivello {

// Bars over the samples mapped to a base-10 logarithmic scale: `floor` and below draw as 0,
// 1 as 1.
class LogarithmicBarDrawer : public WaveformDrawing
{
public:
    LogarithmicBarDrawer(BarDrawer::Config config,
                         float floor,
                         UpsampleStrategy strategy = UpsampleStrategy::smooth)
        : m_linearDrawer(config, UpsampleStrategy::smooth)
        , m_floor(floor)
        , m_upsampleStrategy(strategy)
    {}

    QPainterPath draw(std::span<const float> samples, const QRectF &rect) const override;
    qint64 sampleCount(const QSizeF &size) const override
    {
        return m_linearDrawer.sampleCount(size);
    }
    UpsampleStrategy upsampleStrategy() const override { return m_upsampleStrategy; }

    static std::vector<float> transform(std::span<const float> samples, float floor);

private:
    BarDrawer m_linearDrawer;
    float m_floor;
    UpsampleStrategy m_upsampleStrategy;
};

} // namespace brivello
