#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QSize>

namespace brivello {

// Where a window goes on the screens it may use. Rectangles are the client area in screen
// coordinates; `frame` is the decoration the window manager draws around it. The whole frame
// ends up inside one screen's available area, and the window's minimum size gives way only
// where that area is smaller. Pure values.
struct WindowPlacement
{
    QRect geometry;
    QSize minimumSize;

    // The first start: `size` with its frame centred on `available`, shrunk to fit it.
    static WindowPlacement
    centered(QSize size, QSize minimum, const QRect &available, const QMargins &frame);
    // A remembered place: moved and shrunk as little as needed into the area of
    // `availableAreas` it overlaps most (the first when it overlaps none), so that a place
    // inside one of them is kept.
    static WindowPlacement restored(const QRect &geometry,
                                    QSize minimum,
                                    const QList<QRect> &availableAreas,
                                    const QMargins &frame);
    // `geometry` moved and shrunk as little as needed for its frame to lie inside `available`.
    static WindowPlacement
    fitted(const QRect &geometry, QSize minimum, const QRect &available, const QMargins &frame);
};

} // namespace brivello
