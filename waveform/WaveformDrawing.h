#pragma once

#include "UpsampleStrategy.h"

#include <QPainterPath>
#include <QRectF>
#include <QSizeF>
#include <cmath>
#include <span>

namespace brivello {

// Turns an envelope into a vector path and says how many envelope values it wants for a view
// size. Drawers are immutable values shared between threads; paths are always asked for in a
// rectangle at (0, 0).
class WaveformDrawing
{
public:
    virtual ~WaveformDrawing() = default;
    virtual QPainterPath draw(std::span<const float> samples, const QRectF &rect) const = 0;
    virtual qint64 sampleCount(const QSizeF &size) const = 0;
    virtual UpsampleStrategy upsampleStrategy() const = 0;

    // Far more positions than any screen has; keeps a tiny step from asking for billions.
    static constexpr qint64 kMaximumSampleCount = qint64(1) << 22;

    // The whole part of a quotient as a count: 0 for a quotient that is not a positive finite
    // number, capped at kMaximumSampleCount.
    static qint64 countFor(double width, double step)
    {
        if (!(step > 0.0) || !std::isfinite(step))
            return 0;
        const double quotient = width / step;
        if (!(quotient > 0.0))
            return 0;
        return quotient >= double(kMaximumSampleCount) ? kMaximumSampleCount : qint64(quotient);
    }

    // A sample widened for geometry; not-a-number draws as silence.
    static double value(float sample) { return std::isnan(sample) ? 0.0 : double(sample); }
};

} // namespace brivello
