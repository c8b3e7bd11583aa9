#pragma once

#include "waveform/WaveformScrubberStyle.h"

#include <QObject>
#include <memory>

class QWidget;

namespace brivello {

// Carries a scrubber style down the widget tree: set on a widget, it holds for every scrubber
// inside it unless a nearer widget sets another. Lives as a child object of that widget.
class WaveformScrubberStyleKey : public QObject
{
    Q_OBJECT

public:
    using Style = std::shared_ptr<const WaveformScrubberStyle>;

    // The `waveformScrubberStyle` modifier: replaces the style set on `widget`, if any.
    static void set(QWidget *widget, Style style);
    // The nearest style set on `widget` or one of its ancestors; the default style otherwise.
    static Style resolve(const QWidget *widget);
    // Filled layers in the accent colour and the secondary colour at half opacity.
    static Style defaultStyle();

private:
    explicit WaveformScrubberStyleKey(QObject *owner, Style style)
        : QObject(owner)
        , m_style(std::move(style))
    {}
    Style m_style;
};

} // namespace brivello
