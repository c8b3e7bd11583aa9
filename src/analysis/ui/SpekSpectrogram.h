#pragma once

#include "analysis/AudioQualityAnalysis.h"
#include "shell/BrivelloTheme.h"

#include <QWidget>
#include <memory>

class QLabel;

namespace brivello {

class SpectrogramPreview;

// A spectrogram framed by a frequency axis on the left (half the sample rate down to 0 Hz, at
// the quarter lines) and a time axis below. Retranslates on brivelloLanguageDidChange. Main
// thread.
class SpekSpectrogram : public QWidget
{
    Q_OBJECT
public:
    explicit SpekSpectrogram(QWidget *parent = nullptr);

    // Kept, not copied; handed the result it shows, it redraws nothing.
    void setResult(std::shared_ptr<const AudioQualityAnalysis> result, double duration);
    void setColorScheme(ColorScheme scheme);

    // Top to bottom; and left to right along the time axis.
    QStringList frequencyLabels() const;
    QStringList timeLabels() const;
    SpectrogramPreview *preview() const { return m_preview; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void retranslate();

    std::shared_ptr<const AudioQualityAnalysis> m_result;
    double m_duration = 0;
    ColorScheme m_scheme = ColorScheme::dark;
    SpectrogramPreview *m_preview;
    QList<QLabel *> m_frequencyLabels;
    QList<QLabel *> m_timeLabels;
};

} // namespace brivello
