#include "WaveformScrubberRenderer.h"

#include "AnyShape.h"
#include "DrawingShape.h"

#include <QPaintDevice>
#include <algorithm>
#include <cmath>

namespace brivello {

namespace {

// The rasterised coverage of the path, coloured with `tint`.
QImage tinted(const QImage &coverage, const QBrush &tint)
{
    QImage image = coverage.copy();
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), image.deviceIndependentSize()), tint);
    return image;
}

} // namespace

double WaveformScrubberRenderer::splitX(double width, double progress)
{
    if (!(width > 0.0))
        return 0.0;
    const double x = width * progress;
    return std::isnan(x) ? 0.0 : std::clamp(x, 0.0, width);
}

void WaveformScrubberRenderer::rasterise(Key key, const QPainterPath &path)
{
    // One rasterisation of the path; the two tints only colour its coverage.
    QImage coverage(int(std::ceil(key.size.width() * key.pixelRatio)),
                    int(std::ceil(key.size.height() * key.pixelRatio)),
                    QImage::Format_ARGB32_Premultiplied);
    coverage.setDevicePixelRatio(key.pixelRatio);
    coverage.fill(Qt::transparent);
    {
        QPainter painter(&coverage);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(path, Qt::white);
    }
    m_active = tinted(coverage, key.activeTint);
    m_inactive = tinted(coverage, key.inactiveTint);
    m_key = std::move(key);
}

void WaveformScrubberRenderer::paint(QPainter &painter,
                                     const QSizeF &size,
                                     const std::vector<float> &samples,
                                     const std::shared_ptr<const WaveformDrawing> &drawer,
                                     double progress,
                                     const ScrubberConfig &config,
                                     const WaveformScrubberStyle &style)
{
    const QRectF rect(QPointF(0, 0), size);
    WaveformScrubberStyleConfiguration configuration;
    configuration.rect = rect;
    configuration.waveform = AnyShape(DrawingShape(samples, drawer));

    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    Key key{samples, size, drawer.get(), ratio, config.activeTint, config.inactiveTint};
    if (!(key == m_key))
        rasterise(std::move(key), configuration.waveform.path(rect));

    // Parts split on whole points: the copies stay pixel-aligned.
    const double split = std::round(splitX(size.width(), progress));
    const auto layer = [ratio](const QImage &image, QRectF part) {
        return [&image, part, ratio](QPainter &target) {
            if (part.width() > 0)
                target.drawImage(part, image, QRectF(part.topLeft() * ratio, part.size() * ratio));
        };
    };
    configuration.activeWaveform = layer(m_active, QRectF(0, 0, split, size.height()));
    configuration.inactiveWaveform =
        layer(m_inactive, QRectF(split, 0, size.width() - split, size.height()));

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    style.makeBody(painter, configuration);
    painter.restore();
}

} // namespace brivello
