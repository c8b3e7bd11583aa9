#pragma once

#include "waveform/AudioInfo.h"
#include "waveform/ScrubberConfig.h"
#include "waveform/WaveformDrawing.h"
#include "waveform/WaveformScrubberRenderer.h"

#include <QUrl>
#include <QWidget>
#include <memory>
#include <qcoro/qcorotask.h>
#include <vector>

namespace brivello {

class WaveformCache;

// Shows a file's waveform split at the played fraction and lets the user press and drag
// anywhere to choose a new one. The envelope comes from the waveform cache and is fitted to
// the drawer's count for the current size; loads are keyed by (file, size), the duration is
// probed once per file. A drag reports its gesture and writes the progress once, at the
// release. Main thread only.
class WaveformScrubber : public QWidget
{
    Q_OBJECT

public:
    WaveformScrubber(ScrubberConfig config,
                     std::shared_ptr<const WaveformDrawing> drawer,
                     QUrl url,
                     double progress,
                     QWidget *parent = nullptr,
                     WaveformCache *cache = nullptr);

    // The caller's progress; changing it from outside moves the split unless a drag is on.
    double progress() const { return m_progress; }
    void setProgress(double progress);
    const ScrubberConfig &config() const { return m_config; }
    // New tints apply at the next paint; the envelope stays.
    void setConfig(ScrubberConfig config);
    QUrl url() const { return m_url; }
    void setUrl(const QUrl &url);

    // The fraction shown: the finger's while dragging, else the progress.
    double displayedProgress() const { return m_isDragging ? m_localProgress : m_progress; }
    const std::vector<float> &samples() const { return m_samples; }
    bool hasActiveGesture() const { return m_hasActiveGesture; }

    static double clamp(double value);

signals:
    // The write to the progress binding: once per drag, at its release.
    void progressEdited(double progress);
    void infoLoaded(brivello::AudioInfo info);
    void gestureActiveChanged(bool active);
    void samplesChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    ScrubberConfig m_config;
    std::shared_ptr<const WaveformDrawing> m_drawer;
    QUrl m_url;
    WaveformCache *m_cache;
    double m_progress;
    double m_localProgress;
    std::vector<float> m_samples;
    WaveformScrubberRenderer m_renderer;
    QSize m_viewSize{0, 0};
    bool m_hasActiveGesture = false;
    bool m_isDragging = false;

    // The (file, size) of the running load; a new value supersedes it.
    QUrl m_loadURL;
    QSize m_loadSize;
    quint64 m_loadTicket = 0;
    // The file whose duration has been reported: a resize alone does not probe it again.
    QUrl m_probedURL;

    void restartLoadIfNeeded();
    QCoro::Task<> loadAudioData(quint64 ticket);
    void dragChanged(double x);
    void dragEnded(double x);
};

} // namespace brivello
