#include "WindowPlacement.h"

#include <algorithm>

namespace brivello {

namespace {

// The part of `available` the client area may take once the frame is around it.
QRect roomInside(const QRect &available, const QMargins &frame)
{
    const QRect room = available.marginsRemoved(frame);
    return QRect(room.topLeft(), room.size().expandedTo(QSize(1, 1)));
}

qint64 overlap(const QRect &a, const QRect &b)
{
    const QRect common = a.intersected(b);
    return qint64(common.width()) * common.height();
}

} // namespace

WindowPlacement WindowPlacement::fitted(const QRect &geometry,
                                        QSize minimum,
                                        const QRect &available,
                                        const QMargins &frame)
{
    const QRect room = roomInside(available, frame);
    const QSize lowest = minimum.boundedTo(room.size());
    const QSize size = geometry.size().expandedTo(lowest).boundedTo(room.size());
    const int x = std::clamp(geometry.x(), room.left(), room.left() + room.width() - size.width());
    const int y = std::clamp(geometry.y(), room.top(), room.top() + room.height() - size.height());
    return {QRect(QPoint(x, y), size), lowest};
}

WindowPlacement
WindowPlacement::centered(QSize size, QSize minimum, const QRect &available, const QMargins &frame)
{
    const QRect room = roomInside(available, frame);
    size = size.expandedTo(minimum.boundedTo(room.size())).boundedTo(room.size());
    const QSize outer = size.grownBy(frame);
    const QPoint topLeft(available.x() + (available.width() - outer.width()) / 2 + frame.left(),
                         available.y() + (available.height() - outer.height()) / 2 + frame.top());
    return fitted(QRect(topLeft, size), minimum, available, frame);
}

WindowPlacement WindowPlacement::restored(const QRect &geometry,
                                          QSize minimum,
                                          const QList<QRect> &availableAreas,
                                          const QMargins &frame)
{
    if (availableAreas.isEmpty())
        return {geometry, minimum};
    const QRect outer = geometry.marginsAdded(frame);
    QRect target = availableAreas.first();
    qint64 most = 0;
    for (const QRect &area : availableAreas) {
        if (overlap(area, outer) > most) {
            most = overlap(area, outer);
            target = area;
        }
    }
    return fitted(geometry, minimum, target, frame);
}

} // namespace brivello
