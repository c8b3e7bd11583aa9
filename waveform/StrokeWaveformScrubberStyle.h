#pragma once

#include "WaveformScrubberStyle.h"

#include <QBrush>
#include <QPen>

namespace brivello {

// Outlines the whole waveform with the inactive brush, then fills the played part over it.
class StrokeWaveformScrubberStyle : public WaveformScrubberStyle
{
public:
    StrokeWaveformScrubberStyle(QBrush active, QBrush inactive, double lineWidth)
        : m_activeStyle(std::move(active))
        , m_inactiveStyle(std::move(inactive))
        , m_lineWidth(lineWidth)
    {}

    void makeBody(QPainter &painter,
                  const WaveformScrubberStyleConfiguration &configuration) const override
    {
        QPen pen(m_inactiveStyle, m_lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.strokePath(configuration.waveform.path(configuration.rect), pen);
        configuration.activeWaveform(painter);
    }

private:
    QBrush m_activeStyle;
    QBrush m_inactiveStyle;
    double m_lineWidth;
};

} // namespace brivello
