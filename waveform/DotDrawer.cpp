#include "DotDrawer.h"

namespace brivello {

QPainterPath DotDrawer::draw(std::span<const float> samples, const QRectF &rect) const
{
    QPainterPath path;
    const size_t n = samples.size();
    if (n == 0)
        return path;
    const double h = rect.height();
    const double step = rect.width() / double(n);
    const double r = m_config.dotRadius;
    const double d = r + r;
    const double mid = h * 0.5;
    for (size_t i = 0; i < n; ++i) {
        const double a = h * value(samples[i]) * 0.5;
        const double x = step * double(i) - r;
        path.addEllipse(QRectF(x, mid - a - r, d, d));
        path.addEllipse(QRectF(x, mid + a - r, d, d));
    }
    return path;
}

} // namespace brivello
