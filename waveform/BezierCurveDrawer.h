#pragma once

#include "WaveformDrawing.h"

#include <QPointF>
#include <vector>

namespace brivello {

// A closed outline through the samples, mirrored about the vertical centre, with curves whose
// tangents follow the neighbours (Catmull-Rom at curviness 1, straight at 0).
class BezierCurveDrawer : public WaveformDrawing
{
public:
    struct Config
    {
        double curviness = 0.72;
        double pixelsPerSample = 3;
        UpsampleStrategy upsampleStrategy = UpsampleStrategy::none; // stored, not consulted
    };

    explicit BezierCurveDrawer(Config config, UpsampleStrategy strategy = UpsampleStrategy::none)
        : m_config(config)
        , m_upsampleStrategy(strategy)
    {}

    QPainterPath draw(std::span<const float> samples, const QRectF &rect) const override;
    qint64 sampleCount(const QSizeF &size) const override
    {
        return countFor(size.width(), m_config.pixelsPerSample);
    }
    UpsampleStrategy upsampleStrategy() const override { return m_upsampleStrategy; }
    const Config &config() const { return m_config; }

private:
    Config m_config;
    UpsampleStrategy m_upsampleStrategy;

    // Curves through `points` (the path already stands at the first one).
    void addCurves(QPainterPath &path, const std::vector<QPointF> &points) const;
};

} // namespace brivello
