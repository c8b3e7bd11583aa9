#pragma once

#include "shell/BrivelloTheme.h"

#include <QColor>
#include <QLineF>
#include <QWidget>

class QLabel;

namespace brivello {

// A card with an imitation waveform of 52 bars in the colour the player will use, so the
// effect of the colour settings shows while they change. Reads no audio. Main thread.
class WaveformColorPreview : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kBarCount = 52;
    static constexpr int kCanvasHeight = 58;

    explicit WaveformColorPreview(QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    // Bar `index` of a canvas of `size`: a vertical line centred on the middle.
    static QLineF bar(int index, const QSizeF &size);
    // The waveform colour of a preset ("white", "cyan", "violet", "lime", "custom") and the
    // custom components; unknown presets are "white", components outside 0…1 are clamped.
    static QColor
    waveformColor(const QString &preset, double red, double green, double blue, ColorScheme scheme);

    // Where the bars are drawn, in this widget's coordinates.
    QRect canvasRect() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void retranslate();

    QColor m_color = Qt::white;
    QLabel *m_title = nullptr;
};

} // namespace brivello
