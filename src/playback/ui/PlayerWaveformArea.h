#pragma once

#include "playback/PlayerBarPresenter.h"
#include "waveform/ScrubberConfig.h"
#include "waveform/ui/WaveformScrubber.h"

#include <QEasingCurve>
#include <QPointer>
#include <QUuid>
#include <QWidget>
#include <optional>

class QPropertyAnimation;

namespace brivello {

class Waveform;
class WaveformLoadingIndicator;

// The player panel's waveform area: the still wave with no track (or, seeking, when no
// envelope can be had), "Загрузка waveform…" while the shown track's envelope is computed,
// then that file's scrubber, a new one for every track. Each change fades the new content in.
// Main thread; a child of the panel.
class PlayerWaveformArea : public QWidget
{
    Q_OBJECT
public:
    static constexpr double kCurviness = 0.72;
    static constexpr double kPixelsPerSample = 3;
    static constexpr int kReducedMotionMs = 100;

    PlayerWaveformArea(PlayerBarPresenter &presenter, QWidget *parent = nullptr);

    Waveform *placeholderWave() const { return m_wave; }
    WaveformLoadingIndicator *loadingIndicator() const { return m_loading; }
    // Present only while the shown track's envelope is ready.
    WaveformScrubber *scrubber() const { return m_scrubber; }
    bool isFading() const;
    // The running fade's length and curve (for the motion rules), 0 when none runs.
    int fadeDuration() const;
    QEasingCurve::Type fadeCurve() const;
    // The played and unplayed tints for the settings and the appearance.
    static ScrubberConfig tints(const QColor &color, bool light);

    // Content, tint and playing state; `trackChanged` picks the track-change motion.
    void refreshContent(bool trackChanged);
    void refreshTint();
    void refreshTime();
    void refreshPlaying();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void makeScrubber(const Track &track);
    void dropScrubber();
    void fadeIn(QWidget *content, bool trackChanged);

    PlayerBarPresenter &m_presenter;
    Waveform *m_wave = nullptr;
    WaveformLoadingIndicator *m_loading = nullptr;
    QPointer<WaveformScrubber> m_scrubber;
    std::optional<QUuid> m_scrubberTrackID;
    std::optional<PlayerBarPresenter::WaveformArea> m_shownArea;
    QPointer<QPropertyAnimation> m_fade;
};

} // namespace brivello
