#pragma once

#include "WaveformScrubberStyle.h"

#include <QBrush>

namespace brivello {

// Fills both parts: the unplayed layer, then the played one on top.
class DefaultWaveformScrubberStyle : public WaveformScrubberStyle
{
public:
    DefaultWaveformScrubberStyle(QBrush active, QBrush inactive)
        : m_activeStyle(std::move(active))
        , m_inactiveStyle(std::move(inactive))
    {}

    void makeBody(QPainter &painter,
                  const WaveformScrubberStyleConfiguration &configuration) const override
    {
        configuration.inactiveWaveform(painter);
        configuration.activeWaveform(painter);
    }

    const QBrush &activeStyle() const { return m_activeStyle; }
    const QBrush &inactiveStyle() const { return m_inactiveStyle; }

private:
    QBrush m_activeStyle;
    QBrush m_inactiveStyle;
};

} // namespace brivello
