#pragma once

#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QSizeF>

namespace brivello {

// The geometry of the player's still (or gently moving) progress wave: 69 points on a fixed
// sum of sines, a smooth line through their midpoints, the played fraction and the pulsing
// dot. Pure; the phase is seconds in double precision so it stays smooth for years.
class ProgressWaveShape
{
public:
    static constexpr int kPointCount = 69;

    static QList<QPointF> points(const QSizeF &size, double phase);
    // Quadratic curves to each midpoint with the point as control, then a line to the last.
    static QPainterPath line(const QSizeF &size, double phase);
    // The line closed along the middle: the band between the wave and the centre line.
    static QPainterPath area(const QSizeF &size, double phase);
    static double clampedProgress(double progress);
    static double dotRadius(double phase, bool playing);
    // The fraction under the pointer: x over the width (at least 1), clamped to 0…1.
    static double fraction(double x, double width);
};

} // namespace brivello
