#include "ProgressWaveShape.h"

#include <algorithm>
#include <cmath>

namespace brivello {

QList<QPointF> ProgressWaveShape::points(const QSizeF &size, double phase)
{
    const double w = size.width();
    const double h = size.height();
    QList<QPointF> result;
    result.reserve(kPointCount);
    for (int index = 0; index < kPointCount; ++index) {
        const double i = index;
        const double wave = 0.42 * std::sin(0.3 * i) + 0.31 * std::sin(0.11 * i + 0.8) +
                            0.16 * std::cos(0.66 * i) + 0.035 * std::sin(2.2 * phase + 0.24 * i);
        result.append(QPointF(w * i / (kPointCount - 1), h / 2 + 0.3 * h * wave));
    }
    return result;
}

QPainterPath ProgressWaveShape::line(const QSizeF &size, double phase)
{
    const QList<QPointF> p = points(size, phase);
    QPainterPath path(p.first());
    for (int k = 0; k + 1 < kPointCount; ++k)
        path.quadTo(p[k], (p[k] + p[k + 1]) / 2);
    path.lineTo(p.last());
    return path;
}

QPainterPath ProgressWaveShape::area(const QSizeF &size, double phase)
{
    QPainterPath path = line(size, phase);
    const double midY = size.height() / 2;
    path.lineTo(size.width(), midY);
    path.lineTo(0, midY);
    path.closeSubpath();
    return path;
}

double ProgressWaveShape::clampedProgress(double progress)
{
    if (!(progress > 0))
        return 0;
    return std::min(progress, 1.0);
}

double ProgressWaveShape::dotRadius(double phase, bool playing)
{
    return playing ? 2.8 + 0.65 * (std::sin(4 * phase) + 1) : 2.8;
}

double ProgressWaveShape::fraction(double x, double width)
{
    return std::clamp(x / std::max(width, 1.0), 0.0, 1.0);
}

} // namespace brivello
