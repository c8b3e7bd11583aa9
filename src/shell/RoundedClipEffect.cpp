#include "RoundedClipEffect.h"

#include <QPainter>
#include <QPainterPath>

namespace brivello {

RoundedClipEffect::RoundedClipEffect(qreal radius, QObject *parent)
    : QGraphicsEffect(parent)
    , m_radius(radius)
{}

void RoundedClipEffect::draw(QPainter *painter)
{
    QPoint offset;
    const QPixmap pixmap = sourcePixmap(Qt::LogicalCoordinates, &offset, NoPad);
    if (pixmap.isNull())
        return;
    QPainterPath shape;
    shape.addRoundedRect(sourceBoundingRect(Qt::LogicalCoordinates), m_radius, m_radius);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setClipPath(shape, Qt::IntersectClip);
    painter->drawPixmap(offset, pixmap);
    painter->restore();
}

} // namespace brivello
