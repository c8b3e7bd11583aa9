#include "PixmapStrips.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>

namespace brivello {

void PixmapStrips::draw(QPainter &painter, const QRegion &region, const QPixmap &pixmap)
{
    const qreal ratio = pixmap.devicePixelRatio();
    const int step = std::max(1, int(kDeviceRows / ratio));
    const QRect bounds(QPoint(), pixmap.deviceIndependentSize().toSize());
    for (const QRect &part : region) {
        const QRect clipped = part & bounds;
        for (int top = clipped.top(); top <= clipped.bottom(); top += step) {
            const QRect strip(
                clipped.left(), top, clipped.width(), std::min(step, clipped.bottom() - top + 1));
            painter.drawPixmap(
                strip,
                pixmap,
                QRectF(QPointF(strip.topLeft()) * ratio, QSizeF(strip.size()) * ratio));
        }
    }
}

bool PixmapStrips::fits(const QPixmap &pixmap, QSize size, qreal ratio)
{
    return !pixmap.isNull() && pixmap.devicePixelRatio() == ratio &&
           pixmap.deviceIndependentSize() == QSizeF(size);
}

void SchemeDrawing::paint(QWidget &widget,
                          const QRegion &region,
                          ColorScheme scheme,
                          const std::function<void(QPainter &)> &draw)
{
    const qreal ratio = widget.devicePixelRatioF();
    if (!PixmapStrips::fits(m_pixmap, widget.size(), ratio) || m_scheme != scheme) {
        m_pixmap = QPixmap(widget.size() * ratio);
        m_pixmap.setDevicePixelRatio(ratio);
        m_pixmap.fill(Qt::transparent);
        m_scheme = scheme;
        QPainter painter(&m_pixmap);
        draw(painter);
    }
    QPainter painter(&widget);
    PixmapStrips::draw(painter, region, m_pixmap);
}

} // namespace brivello
