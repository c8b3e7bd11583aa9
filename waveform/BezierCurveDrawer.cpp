#include "BezierCurveDrawer.h"

#include <algorithm>

namespace brivello {

void BezierCurveDrawer::addCurves(QPainterPath &path, const std::vector<QPointF> &points) const
{
    const double c = m_config.curviness;
    const size_t n = points.size();
    const auto at = [&](qint64 k) {
        return points[size_t(std::clamp<qint64>(k, 0, qint64(n) - 1))];
    };
    for (qint64 k = 0; k + 1 < qint64(n); ++k) {
        const QPointF p0 = at(k - 1), p1 = at(k), p2 = at(k + 1), p3 = at(k + 2);
        const QPointF control1(p1.x() + c * ((p2.x() - p0.x()) / 6),
                               p1.y() + c * ((p2.y() - p0.y()) / 6));
        const QPointF control2(p2.x() - c * ((p3.x() - p1.x()) / 6),
                               p2.y() - c * ((p3.y() - p1.y()) / 6));
        path.cubicTo(control1, control2, p2);
    }
}

QPainterPath BezierCurveDrawer::draw(std::span<const float> samples, const QRectF &rect) const
{
    QPainterPath path;
    const double w = rect.width();
    const double h = rect.height();
    const double midY = rect.y() + h / 2;
    const size_t n = samples.size();
    if (n < 2) {
        path.moveTo(0, midY);
        path.lineTo(w, midY);
        return path;
    }
    const double stepX = w / double(n - 1);
    std::vector<QPointF> top(n), bottom(n);
    for (size_t i = 0; i < n; ++i) {
        top[i] = QPointF(stepX * double(i), midY - h * value(samples[i]) * 0.5);
        bottom[n - 1 - i] = QPointF(top[i].x(), midY - (top[i].y() - midY));
    }
    path.moveTo(top.front());
    addCurves(path, top);
    path.lineTo(bottom.front());
    addCurves(path, bottom);
    path.closeSubpath();
    return path;
}

} // namespace brivello
