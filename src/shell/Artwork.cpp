#include "Artwork.h"

#include "BrivelloSymbols.h"
#include "ShellEvents.h"

#include <QPainter>
#include <QPainterPath>

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

void Artwork::paint(QPainter &painter, const QRectF &square, const QImage &image)
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
