#pragma once

#include <QGraphicsEffect>

namespace brivello {

// Draws a widget and its children inside a rounded rectangle with antialiased corners, where a
// widget mask could only cut whole pixels: on screen the widget paints straight into the
// window's image and the corners' background goes back outside the curve; anywhere else it is
// rendered into a pixmap drawn through a clip path. Owned by the widget it is set on; main
// thread.
class RoundedClipEffect : public QGraphicsEffect
{
    Q_OBJECT
public:
    RoundedClipEffect(qreal radius, QObject *parent = nullptr);
    qreal radius() const { return m_radius; }

protected:
    void draw(QPainter *painter) override;

private:
    void drawDirectly(QPainter *painter, QImage *image);

    qreal m_radius;
};

} // namespace brivello
