#include "PlayerWaveformArea.h"

#include "Waveform.h"
#include "WaveformLoadingIndicator.h"
#include "playback/WaveformTint.h"
#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"
#include "waveform/BezierCurveDrawer.h"
#include "waveform/ui/WaveformScrubber.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>

namespace brivello {

PlayerWaveformArea::PlayerWaveformArea(PlayerBarPresenter &presenter, QWidget *parent)
    : QWidget(parent)
    , m_presenter(presenter)
    , m_wave(new Waveform(this))
    , m_loading(new WaveformLoadingIndicator(this))
{
    m_loading->hide();
}

ScrubberConfig PlayerWaveformArea::tints(const QColor &color, bool light)
{
    return ScrubberConfig{WaveformTint::active(color), WaveformTint::inactive(color, light)};
}

bool PlayerWaveformArea::isFading() const
{
    return m_fade && m_fade->state() == QAbstractAnimation::Running;
}

int PlayerWaveformArea::fadeDuration() const
{
    return isFading() ? m_fade->duration() : 0;
}

QEasingCurve::Type PlayerWaveformArea::fadeCurve() const
{
    return isFading() ? m_fade->easingCurve().type() : QEasingCurve::Linear;
}

void PlayerWaveformArea::refreshContent(bool trackChanged)
{
    using Area = PlayerBarPresenter::WaveformArea;
    const Area area = m_presenter.waveformArea();
    const std::optional<Track> track = m_presenter.track();
    const bool newScrubber =
        area == Area::scrubber && track && (!m_scrubber || m_scrubberTrackID != track->id);
    if (area != Area::scrubber || newScrubber)
        dropScrubber();
    if (newScrubber)
        makeScrubber(*track);
    m_loading->setVisible(area == Area::loading);
    m_wave->setVisible(area == Area::placeholder || area == Area::seekablePlaceholder);
    if (area == Area::seekablePlaceholder)
        m_wave->setSeekAction([this](double fraction) { m_presenter.seekToFraction(fraction); });
    else
        m_wave->setSeekAction({});
    if (area != m_shownArea || newScrubber) {
        QWidget *content = area == Area::loading    ? static_cast<QWidget *>(m_loading)
                           : area == Area::scrubber ? static_cast<QWidget *>(m_scrubber.data())
                                                    : m_wave;
        // The first content of a new panel just appears.
        if (m_shownArea)
            fadeIn(content, trackChanged);
        m_shownArea = area;
    }
    refreshTime();
    refreshPlaying();
}

void PlayerWaveformArea::makeScrubber(const Track &track)
{
    const bool light = BrivelloTheme::isLight(ShellEvents::instance().scheme());
    const auto drawer = std::make_shared<BezierCurveDrawer>(
        BezierCurveDrawer::Config{kCurviness, kPixelsPerSample, UpsampleStrategy::none},
        UpsampleStrategy::none);
    m_scrubber = new WaveformScrubber(tints(m_presenter.waveformColor(light), light),
                                      drawer,
                                      track.url,
                                      m_presenter.waveformProgress(),
                                      this,
                                      m_presenter.waveformCache());
    m_scrubberTrackID = track.id;
    m_scrubber->setGeometry(rect());
    // Pressing freezes the clock; the release writes the fraction once, which seeks once, and
    // only then the clock runs again.
    connect(m_scrubber, &WaveformScrubber::gestureActiveChanged, this, [this](bool active) {
        m_presenter.setScrubbing(active);
    });
    connect(m_scrubber, &WaveformScrubber::progressEdited, this, [this](double fraction) {
        m_presenter.seekToFraction(fraction);
    });
    refreshTint();
    m_scrubber->show();
}

void PlayerWaveformArea::dropScrubber()
{
    if (!m_scrubber)
        return;
    // Hiding first ends a drag under way without a seek.
    m_scrubber->hide();
    delete m_scrubber.data();
    m_scrubberTrackID.reset();
}

void PlayerWaveformArea::refreshTint()
{
    if (!m_scrubber)
        return;
    // The tints alone colour the layers; the default style only arranges them.
    const bool light = BrivelloTheme::isLight(ShellEvents::instance().scheme());
    m_scrubber->setConfig(tints(m_presenter.waveformColor(light), light));
}

void PlayerWaveformArea::refreshTime()
{
    using Area = PlayerBarPresenter::WaveformArea;
    const bool hasTrack = m_presenter.waveformArea() != Area::placeholder;
    m_wave->setProgress(hasTrack ? m_presenter.waveformProgress() : 0);
    if (m_scrubber)
        m_scrubber->setProgress(m_presenter.waveformProgress());
}

void PlayerWaveformArea::refreshPlaying()
{
    m_wave->setPlaying(m_presenter.track().has_value() && m_presenter.isPlaying());
}

void PlayerWaveformArea::fadeIn(QWidget *content, bool trackChanged)
{
    if (m_fade)
        m_fade->stop(); // deletes itself
    // Earlier content may still carry its fade.
    for (QWidget *child : {static_cast<QWidget *>(m_wave),
                           static_cast<QWidget *>(m_loading),
                           static_cast<QWidget *>(m_scrubber.data())}) {
        if (child && child != content)
            child->setGraphicsEffect(nullptr);
    }
    if (!content || !isVisible())
        return;
    const bool reduced = ShellEvents::instance().reduceMotion();
    auto *effect = new QGraphicsOpacityEffect(content);
    effect->setOpacity(0);
    content->setGraphicsEffect(effect);
    m_fade = new QPropertyAnimation(effect, "opacity", this);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    m_fade->setDuration(reduced        ? kReducedMotionMs
                        : trackChanged ? BrivelloTheme::kMotionStateMs
                                       : BrivelloTheme::kMotionOverlayMs);
    m_fade->setEasingCurve(reduced ? QEasingCurve::Linear : QEasingCurve::OutCubic);
    QPointer<QWidget> faded(content);
    connect(m_fade, &QPropertyAnimation::finished, this, [faded] {
        // Drawn plainly again once fully in.
        if (faded)
            faded->setGraphicsEffect(nullptr);
    });
    m_fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void PlayerWaveformArea::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    for (QWidget *child : {static_cast<QWidget *>(m_wave),
                           static_cast<QWidget *>(m_loading),
                           static_cast<QWidget *>(m_scrubber.data())}) {
        if (child)
            child->setGeometry(rect());
    }
}

} // namespace brivello
