#pragma once

#include <QTimer>
#include <QWidget>

namespace brivello {

// The small indeterminate progress indicator the views share: a three-quarter ring
// turning while the widget is shown. `paint` draws one phase of it for list delegates.
// Main thread.
class ProgressSpinner : public QWidget
{
    Q_OBJECT
public:
    explicit ProgressSpinner(int side, QWidget *parent = nullptr);

    static void paint(QPainter &painter, const QRectF &ring, qreal phase, const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QTimer m_timer;
    qreal m_phase = 0;
};

} // namespace brivello
