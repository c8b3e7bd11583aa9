#include "WaveformScrubberStyleKey.h"

#include "waveform/DefaultWaveformScrubberStyle.h"

#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

namespace brivello {

void WaveformScrubberStyleKey::set(QWidget *widget, Style style)
{
    if (!widget)
        return;
    delete widget->findChild<WaveformScrubberStyleKey *>(QString(), Qt::FindDirectChildrenOnly);
    new WaveformScrubberStyleKey(widget, std::move(style));
    widget->update();
}

WaveformScrubberStyleKey::Style WaveformScrubberStyleKey::resolve(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (const auto *key =
                w->findChild<WaveformScrubberStyleKey *>(QString(), Qt::FindDirectChildrenOnly);
            key && key->m_style)
            return key->m_style;
    }
    return defaultStyle();
}

WaveformScrubberStyleKey::Style WaveformScrubberStyleKey::defaultStyle()
{
    static const Style style = [] {
        const QPalette palette = QGuiApplication::palette();
        QColor secondary = palette.color(QPalette::PlaceholderText);
        secondary.setAlphaF(0.5f);
        return std::make_shared<const DefaultWaveformScrubberStyle>(
            palette.color(QPalette::Highlight), secondary);
    }();
    return style;
}

} // namespace brivello
