#include "BarDrawer.h"

#include <algorithm>

namespace brivello {

qint64 BarDrawer::sampleCount(const QSizeF &size) const
{
    return countFor(size.width(), m_config.barWidth + m_config.spacing);
}

QPainterPath BarDrawer::draw(std::span<const float> samples, const QRectF &rect) const
{
    QPainterPath path;
    const double step = m_config.barWidth + m_config.spacing;
    if (!(step > 0.0))
        return path;
    const double h = rect.height();
    const double mid = h * 0.5;
    for (size_t i = 0; i < samples.size(); ++i) {
        const double scaled = h * double(samples[i]);
        const double barHeight =
            std::isnan(scaled) ? m_config.minBarHeight : std::max(m_config.minBarHeight, scaled);
        const double x = step * double(i);
        const double y = mid + barHeight * -0.5;
        path.addRoundedRect(QRectF(x, y, m_config.barWidth, barHeight),
                            m_config.cornerRadius,
                            m_config.cornerRadius);
    }
    return path;
}

} // namespace brivello
