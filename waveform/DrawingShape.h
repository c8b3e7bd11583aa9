#pragma once

#include "WaveformDrawing.h"

#include <memory>
#include <vector>

namespace brivello {

// Samples and the drawer that makes them a path: a shape that can be asked for its path in
// any rectangle. A value; copies share the drawer.
class DrawingShape
{
public:
    DrawingShape(std::vector<float> samples, std::shared_ptr<const WaveformDrawing> drawer)
        : m_samples(std::move(samples))
        , m_drawer(std::move(drawer))
    {}

    QPainterPath path(const QRectF &rect) const
    {
        return m_drawer ? m_drawer->draw(m_samples, rect) : QPainterPath();
    }
    const std::vector<float> &samples() const { return m_samples; }

private:
    std::vector<float> m_samples;
    std::shared_ptr<const WaveformDrawing> m_drawer;
};

} // namespace brivello
