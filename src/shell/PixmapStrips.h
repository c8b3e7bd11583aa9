#pragma once

#include "BrivelloTheme.h"

#include <QPixmap>
#include <QRegion>
#include <functional>

class QPainter;
class QWidget;

namespace brivello {

// Copies the parts of a widget-sized pixmap that a paint event repaints, in strips of a few
// dozen device rows. Qt's raster engine hands a fill of more rows (or spans) to its thread
// pool and blocks until the pool has run it: on the main thread that costs wake-ups every
// frame and, while the loads keep every core busy, waits for a turn. Main thread.
class PixmapStrips
{
public:
    // Fewer spans than the raster engine's threshold for splitting a fill (96).
    static constexpr int kDeviceRows = 64;

    // `pixmap` covers the widget from its top left corner, at the painter's pixel ratio.
    static void draw(QPainter &painter, const QRegion &region, const QPixmap &pixmap);
    // Whether `pixmap` is a cache made for a widget of `size` at `ratio`.
    static bool fits(const QPixmap &pixmap, QSize size, qreal ratio);
};

// A widget's drawing that changes only with its size and the colour scheme: drawn once into a
// pixmap, each frame copies the part it repaints. Main thread.
class SchemeDrawing
{
public:
    // Paints `region` of `widget`, drawing anew through `draw` (on a clear pixmap of the
    // widget's size) when the size, the pixel ratio or `scheme` changed.
    void paint(QWidget &widget,
               const QRegion &region,
               ColorScheme scheme,
               const std::function<void(QPainter &)> &draw);

private:
    QPixmap m_pixmap;
    ColorScheme m_scheme = ColorScheme::dark;
};

} // namespace brivello
