#pragma once

#include <QGraphicsEffect>

namespace brivello {

// Draws a widget and its children inside a rounded rectangle with antialiased corners: the
// widget is rendered into a pixmap and painted through a clip path, where a widget mask could
// only cut whole pixels. Owned by the widget it is set on; main thread.
class RoundedClipEffect : public QGraphicsEffect
{
    Q_OBJECT
public:
    RoundedClipEffect(qreal radius, QObject *parent = nullptr);
    qreal radius() const { return m_radius; }

protected:
    void draw(QPainter *painter) override;

private:
    qreal m_radius;
};

} // namespace brivello
