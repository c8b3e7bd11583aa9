#pragma once

#include <QPixmap>
#include <QWidget>

class QVariantAnimation;

namespace brivello {

// The window's change between the light and the dark look: a picture of the old look laid over
// the window fades out (ease-in-out, 0.36 s) while the new look is drawn beneath it. Lets every
// event through and deletes itself at the end. Main thread; a child of the window.
class AppearanceCrossfade : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kDurationMs = 360;

    // Pictures `window` as it looks now and starts the fade; none with reduced motion or while
    // the window is hidden. A fade still running is replaced by one from the current look.
    static AppearanceCrossfade *start(QWidget *window);
    QVariantAnimation *animation() const { return m_animation; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    AppearanceCrossfade(QWidget *window, QPixmap picture);

    QPixmap m_picture;
    qreal m_opacity = 1;
    QVariantAnimation *m_animation;
};

} // namespace brivello
