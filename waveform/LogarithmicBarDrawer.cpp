#include "LogarithmicBarDrawer.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace brivello {

std::vector<float> LogarithmicBarDrawer::transform(std::span<const float> samples, float floor)
{
    // A floor outside (0, 1) would make the scale infinite or inverted: kept just inside.
    const float safeFloor = std::isnan(floor) ? 0.001f : std::clamp(floor, FLT_MIN, 0.999f);
    const float logFloor = std::log10(safeFloor);
    std::vector<float> values(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        const float s = samples[i];
        const float m = (s <= safeFloor || std::isnan(s)) ? safeFloor : s;
        values[i] = (std::log10(m) - logFloor) / (0.0f - logFloor);
    }
    return values;
}

QPainterPath LogarithmicBarDrawer::draw(std::span<const float> samples, const QRectF &rect) const
{
    const std::vector<float> mapped = transform(samples, m_floor);
    return m_linearDrawer.draw(mapped, rect);
}

} // namespace brivello
