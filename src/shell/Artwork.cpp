#include "Artwork.h"

#include "BrivelloSymbols.h"
#include "ShellEvents.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <cmath>

namespace brivello {

Artwork::Artwork(const QImage &image, int size, QWidget *parent)
    : QWidget(parent)
    , m_image(image)
{
    setFixedSize(size, size);
}

void Artwork::setImage(const QImage &image)
{
    m_image = image;
    update();
}

namespace {

bool isWhole(qreal value)
{
    return std::abs(value - std::round(value)) < 1e-6;
}

} // namespace

void Artwork::paint(QPainter &painter, const QRectF &square, const QImage &image)
{
    // A copy lands on whole pixels only; anywhere else the thumbnail is drawn afresh.
    const QTransform toDevice = painter.deviceTransform();
    const qreal ratio = toDevice.m11();
    const QPointF origin = toDevice.map(square.topLeft());
    const QSizeF pixels = square.size() * ratio;
    if (toDevice.type() > QTransform::TxScale || ratio <= 0 || toDevice.m22() != ratio ||
        !isWhole(origin.x()) || !isWhole(origin.y()) || !isWhole(pixels.width()) ||
        !isWhole(pixels.height())) {
        paintDirectly(painter, square, image);
        return;
    }
    const ColorScheme scheme = ShellEvents::instance().scheme();
    // The thumbnails as drawn, by image, size and look: lists repaint their rows every frame,
    // and clipping the rounded corners again costs more than the copy (a clip of many spans
    // also goes through the raster engine's thread pool). QPixmapCache, not a static: pixmaps
    // must go before the application object does.
    const QString key = QStringLiteral("brivello-artwork|%1|%2x%3|%4|%5")
                            .arg(image.cacheKey())
                            .arg(pixels.width())
                            .arg(pixels.height())
                            .arg(ratio)
                            .arg(int(scheme));
    QPixmap thumbnail;
    if (!QPixmapCache::find(key, &thumbnail)) {
        thumbnail = QPixmap(pixels.toSize());
        thumbnail.setDevicePixelRatio(ratio);
        thumbnail.fill(Qt::transparent);
        QPainter made(&thumbnail);
        paintDirectly(made, QRectF(QPointF(), square.size()), image);
        made.end();
        QPixmapCache::insert(key, thumbnail);
    }
    painter.drawPixmap(square.topLeft(), thumbnail);
}

void Artwork::paintDirectly(QPainter &painter, const QRectF &square, const QImage &image)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    const qreal radius = cornerRadius(square.width());
    clip.addRoundedRect(square, radius, radius);
    painter.setClipPath(clip);
    if (!image.isNull()) {
        // Scale to fill: the shorter side meets the square, the rest is cropped.
        const QSizeF scaled =
            QSizeF(image.size()).scaled(square.size(), Qt::KeepAspectRatioByExpanding);
        const QRectF target(square.center().x() - scaled.width() / 2,
                            square.center().y() - scaled.height() / 2,
                            scaled.width(),
                            scaled.height());
        painter.drawImage(target, image);
    } else {
        QLinearGradient gradient(square.topLeft(), square.bottomRight());
        gradient.setColorAt(0, rgbA(0.5, 0.5, 0.5, 0.72));
        gradient.setColorAt(1, blackA(0.88));
        painter.fillRect(square, gradient);
        const qreal glyph = qMin<qreal>(17, square.width() * 0.5);
        BrivelloSymbols::paint(painter,
                               square,
                               QStringLiteral("music.note"),
                               glyph,
                               whiteA(0.85),
                               ShellEvents::instance().scheme());
    }
    painter.restore();
}

void Artwork::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paint(painter, QRectF(rect()), m_image);
}

} // namespace brivello
