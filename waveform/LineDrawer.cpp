#include "LineDrawer.h"

#include <QPolygonF>
#include <algorithm>

namespace brivello {

QPainterPath LineDrawer::draw(std::span<const float> samples, const QRectF &rect) const
{
    QPainterPath path;
    const size_t n = samples.size();
    if (n == 0)
        return path;
    const double mid = rect.height() * 0.5;
    // A single sample has no step to the next one: it stands at x = 0 rather than dividing by
    // zero.
    const double stepX = n > 1 ? rect.width() / double(n - 1) : 0.0;
    QPolygonF top, bottom;
    top.reserve(qsizetype(n));
    bottom.reserve(qsizetype(n));
    for (size_t i = 0; i < n; ++i) {
        const bool edge = i == 0 || i == n - 1;
        double a = mid * value(samples[i]);
        if (edge)
            a = m_config.inverted ? mid : 0.0;
        else if (a < 1.0)
            a = 1.0;
        top << QPointF(stepX * double(i), mid - a);
        bottom << QPointF(stepX * double(i), mid + a);
    }
    std::reverse(bottom.begin(), bottom.end());
    path.addPolygon(top);
    path.addPolygon(bottom);
    path.closeSubpath();
    return path;
}

} // namespace brivello
