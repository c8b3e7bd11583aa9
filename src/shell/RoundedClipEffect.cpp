#include "RoundedClipEffect.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>

namespace brivello {

namespace {

// Images whose pixels are four premultiplied bytes: a blend is the same sum for each byte.
bool blendsBytewise(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888_Premultiplied:
        return true;
    default:
        return false;
    }
}

} // namespace

RoundedClipEffect::RoundedClipEffect(qreal radius, QObject *parent)
    : QGraphicsEffect(parent)
    , m_radius(radius)
{}

void RoundedClipEffect::draw(QPainter *painter)
{
    // Into an image (the window's, on screen) the source paints directly, only where it
    // changed: rendering it whole into a pixmap would cost a full section every frame.
    QPaintDevice *device = painter->device();
    if (device && device->devType() == QInternal::Image) {
        auto *image = static_cast<QImage *>(device);
        if (blendsBytewise(*image) && image->isDetached() &&
            painter->deviceTransform().type() <= QTransform::TxScale) {
            drawDirectly(painter, image);
            return;
        }
    }
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

void RoundedClipEffect::drawDirectly(QPainter *painter, QImage *image)
{
    // What lies under the four corners before the source paints is the background (the
    // parents have just painted what changed; elsewhere it is the same before and after).
    // Outside the curve it comes back, weighted by the curve's antialiased coverage: the
    // pixels are those of the source drawn through the rounded clip. The image is written
    // directly: the source's own painters have used and ended the shared paint engine.
    const QTransform toDevice = painter->deviceTransform();
    const QRectF bounds = toDevice.mapRect(sourceBoundingRect(Qt::LogicalCoordinates));
    const qreal rx = std::min(m_radius * std::abs(toDevice.m11()), bounds.width() / 2);
    const qreal ry = std::min(m_radius * std::abs(toDevice.m22()), bounds.height() / 2);
    QPainterPath shape;
    shape.addRoundedRect(bounds, rx, ry);
    const QSize square(int(std::ceil(rx)) + 2, int(std::ceil(ry)) + 2);
    const QRect outer = bounds.toAlignedRect();
    const std::array<QRect, 4> cornerRects{
        QRect(outer.topLeft(), square),
        QRect(QPoint(outer.right() - square.width() + 1, outer.top()), square),
        QRect(QPoint(outer.left(), outer.bottom() - square.height() + 1), square),
        QRect(QPoint(outer.right() - square.width() + 1, outer.bottom() - square.height() + 1),
              square)};
    std::array<QImage, 4> backgrounds;
    std::array<QRect, 4> pixels;
    for (size_t i = 0; i < cornerRects.size(); ++i) {
        pixels[i] = cornerRects[i] & image->rect();
        if (!pixels[i].isEmpty())
            backgrounds[i] = image->copy(pixels[i]);
    }
    drawSource(painter);
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (backgrounds[i].isNull())
            continue;
        QImage coverage(pixels[i].size(), QImage::Format_Alpha8);
        coverage.fill(0);
        QPainter mask(&coverage);
        mask.setRenderHint(QPainter::Antialiasing);
        mask.translate(-pixels[i].topLeft());
        mask.fillPath(shape, Qt::black);
        mask.end();
        for (int y = 0; y < coverage.height(); ++y) {
            const uchar *covered = coverage.constScanLine(y);
            const uchar *under = backgrounds[i].constScanLine(y);
            uchar *out = image->scanLine(pixels[i].top() + y) + 4 * pixels[i].left();
            for (int x = 0; x < coverage.width(); ++x) {
                const int a = covered[x];
                if (a == 255)
                    continue;
                for (int k = 4 * x; k < 4 * x + 4; ++k)
                    out[k] = uchar((out[k] * a + under[k] * (255 - a) + 127) / 255);
            }
        }
    }
}

} // namespace brivello
