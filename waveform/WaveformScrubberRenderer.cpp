#include "WaveformScrubberRenderer.h"

#include "AnyShape.h"
#include "DrawingShape.h"

#include <algorithm>
#include <cmath>

namespace brivello {

double WaveformScrubberRenderer::splitX(double width, double progress)
{
    if (!(width > 0.0))
        return 0.0;
    const double x = width * progress;
    return std::isnan(x) ? 0.0 : std::clamp(x, 0.0, width);
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
    const QPainterPath path = configuration.waveform.path(rect);
    const double split = splitX(size.width(), progress);
    const auto layer = [&path](QRectF mask, QBrush tint) {
        return [&path, mask, tint](QPainter &target) {
            target.save();
            target.setClipRect(mask, Qt::IntersectClip);
            target.fillPath(path, tint);
            target.restore();
        };
    };
    configuration.activeWaveform = layer(QRectF(0, 0, split, size.height()), config.activeTint);
    configuration.inactiveWaveform =
        layer(QRectF(split, 0, size.width() - split, size.height()), config.inactiveTint);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    style.makeBody(painter, configuration);
    painter.restore();
}

} // namespace brivello
