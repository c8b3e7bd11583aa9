#pragma once

#include <QImage>
#include <QWidget>

class QPainter;

namespace brivello {

// The square cover thumbnail: the image scaled to fill and cropped, or a gradient placeholder
// with a note symbol; corners rounded at a fifth of the side. `paint` serves list delegates.
class Artwork : public QWidget
{
    Q_OBJECT
public:
    Artwork(const QImage &image, int size, QWidget *parent = nullptr);

    void setImage(const QImage &image);
    static void paint(QPainter &painter, const QRectF &square, const QImage &image);
    static qreal cornerRadius(qreal size) { return size * 0.2; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    static void paintDirectly(QPainter &painter, const QRectF &square, const QImage &image);

    QImage m_image;
};

} // namespace brivello
