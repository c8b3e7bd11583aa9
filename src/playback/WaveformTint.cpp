#include "WaveformTint.h"

#include <algorithm>
#include <cmath>

namespace brivello {

namespace {

double component(double value)
{
    return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 1.0;
}

QColor srgb(double red, double green, double blue)
{
    return QColor::fromRgbF(float(red), float(green), float(blue));
}

} // namespace

QColor WaveformTint::color(const QString &preset, double red, double green, double blue, bool light)
{
    // The dark column uses the platform's system cyan, purple and green.
    if (preset == QLatin1String("cyan"))
        return light ? srgb(0.00, 0.37, 0.48) : QColor(100, 210, 255);
    if (preset == QLatin1String("violet"))
        return light ? srgb(0.31, 0.20, 0.64) : QColor(191, 90, 242);
    if (preset == QLatin1String("lime"))
        return light ? srgb(0.10, 0.38, 0.22) : QColor(48, 209, 88);
    if (preset == QLatin1String("custom")) {
        const double scale = light ? 0.52 : 1.0;
        return srgb(component(red) * scale, component(green) * scale, component(blue) * scale);
    }
    return light ? srgb(0.16, 0.22, 0.29) : QColor(Qt::white);
}

QColor WaveformTint::active(const QColor &color)
{
    QColor tint = color;
    tint.setAlphaF(0.96f);
    return tint;
}

QColor WaveformTint::inactive(const QColor &color, bool light)
{
    QColor tint = color;
    tint.setAlphaF(light ? 0.48f : 0.2f);
    return tint;
}

} // namespace brivello
