#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

namespace brivello {

// The player's drawn progress wave: the unplayed line, the played part clipped to the
// progress, the playhead and a dot that pulses while playing. A 30 fps timer runs only while
// playing, so a paused or empty panel is a still picture. Presses and drags report the
// fraction under the pointer. Main thread.
class Waveform : public QWidget
{
    Q_OBJECT
public:
    using SeekAction = std::function<void(double fraction)>;

    explicit Waveform(QWidget *parent = nullptr);

    void setProgress(double progress);
    void setPlaying(bool playing);
    void setSeekAction(SeekAction action) { m_onSeek = std::move(action); }
    bool isAnimating() const { return m_timer.isActive(); }
    // Seconds since 1 January 2001 while playing, else 0.
    double phase() const;
    // Draws one frame at a given phase (tests and grabs use a fixed one).
    void paintFrame(QPainter &painter, double phase) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void seek(double x);

    double m_progress = 0;
    bool m_playing = false;
    SeekAction m_onSeek;
    QTimer m_timer;
};

} // namespace brivello
