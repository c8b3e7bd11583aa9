#include "SymbolPainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace brivello {

namespace {

QPainterPath heartPath(const QRectF &r)
{
    QPainterPath path;
    const qreal w = r.width(), h = r.height();
    const QPointF bottom(r.center().x(), r.top() + h * 0.9);
    path.moveTo(bottom);
    path.cubicTo(r.left() + w * 0.1,
                 r.top() + h * 0.62,
                 r.left() - w * 0.02,
                 r.top() + h * 0.32,
                 r.left() + w * 0.22,
                 r.top() + h * 0.16);
    path.cubicTo(r.left() + w * 0.36,
                 r.top() + h * 0.06,
                 r.center().x() - w * 0.04,
                 r.top() + h * 0.14,
                 r.center().x(),
                 r.top() + h * 0.28);
    path.cubicTo(r.center().x() + w * 0.04,
                 r.top() + h * 0.14,
                 r.right() - w * 0.36,
                 r.top() + h * 0.06,
                 r.right() - w * 0.22,
                 r.top() + h * 0.16);
    path.cubicTo(r.right() + w * 0.02,
                 r.top() + h * 0.32,
                 r.right() - w * 0.1,
                 r.top() + h * 0.62,
                 bottom.x(),
                 bottom.y());
    path.closeSubpath();
    return path;
}

void drawSun(QPainter &p, const QRectF &r, const QColor &color)
{
    const QPointF c = r.center();
    const qreal s = r.width();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(c, s * 0.2, s * 0.2);
    p.setPen(QPen(color, qMax(1.0, s * 0.09), Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        const QPointF dir(qCos(a), qSin(a));
        p.drawLine(c + dir * s * 0.32, c + dir * s * 0.44);
    }
}

void drawMoon(QPainter &p, const QRectF &r, const QColor &color)
{
    const qreal s = r.width();
    QPainterPath disc;
    disc.addEllipse(QPointF(r.left() + s * 0.42, r.top() + s * 0.56), s * 0.36, s * 0.36);
    QPainterPath bite;
    bite.addEllipse(QPointF(r.left() + s * 0.62, r.top() + s * 0.38), s * 0.3, s * 0.3);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(disc.subtracted(bite));
    const auto star = [&](QPointF c, qreal k) {
        QPainterPath path;
        path.moveTo(c.x(), c.y() - k);
        path.quadTo(c, QPointF(c.x() + k, c.y()));
        path.quadTo(c, QPointF(c.x(), c.y() + k));
        path.quadTo(c, QPointF(c.x() - k, c.y()));
        path.quadTo(c, QPointF(c.x(), c.y() - k));
        p.drawPath(path);
    };
    star(QPointF(r.left() + s * 0.8, r.top() + s * 0.16), s * 0.14);
    star(QPointF(r.left() + s * 0.9, r.top() + s * 0.48), s * 0.09);
}

} // namespace

bool SymbolPainter::hasDrawing(const QString &symbol)
{
    static const QStringList kDrawn = {
        QStringLiteral("sun.max.fill"),
        QStringLiteral("moon.stars.fill"),
        QStringLiteral("heart.fill"),
        QStringLiteral("heart.slash"),
        QStringLiteral("circle"),
        QStringLiteral("circle.fill"),
    };
    return kDrawn.contains(symbol);
}

void SymbolPainter::draw(QPainter &p, const QRectF &box, const QString &symbol, const QColor &color)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = box.width();
    const QRectF inner = box.adjusted(s * 0.08, s * 0.08, -s * 0.08, -s * 0.08);
    if (symbol == QLatin1String("sun.max.fill")) {
        drawSun(p, box, color);
    } else if (symbol == QLatin1String("moon.stars.fill")) {
        drawMoon(p, box, color);
    } else if (symbol == QLatin1String("heart.fill")) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(heartPath(inner));
    } else if (symbol == QLatin1String("heart.slash")) {
        p.setPen(QPen(color, qMax(1.0, s * 0.08)));
        p.setBrush(Qt::NoBrush);
        p.drawPath(heartPath(inner));
        p.drawLine(box.topLeft() + QPointF(s * 0.15, s * 0.15),
                   box.bottomRight() - QPointF(s * 0.15, s * 0.15));
    } else if (symbol == QLatin1String("circle.fill")) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(inner);
    } else if (symbol == QLatin1String("circle")) {
        p.setPen(QPen(color, qMax(1.0, s * 0.08)));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(inner.adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.04));
    } else {
        p.setPen(QPen(color, qMax(1.0, s * 0.08)));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(inner.adjusted(s * 0.06, s * 0.06, -s * 0.06, -s * 0.06));
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(box.center(), s * 0.12, s * 0.12);
    }
    p.restore();
}

} // namespace brivello
