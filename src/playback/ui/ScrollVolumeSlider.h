#pragma once

#include <QSlider>
#include <functional>

namespace brivello {

// The small volume slider: 0…1 in steps of a thousandth, a knob 0.8 times the style's, and
// wheel scrolling of 0.012 per unit of delta (consumed here). Main thread.
class ScrollVolumeSlider : public QSlider
{
    Q_OBJECT
public:
    static constexpr int kSteps = 1000;
    static constexpr double kKnobScale = 0.8;

    explicit ScrollVolumeSlider(QWidget *parent = nullptr);

    double volume() const { return double(value()) / kSteps; }
    // An outside change; differences of 0.001 or less are left alone.
    void setBoundVolume(double volume);
    // Called with every change the user makes (drag, click or wheel).
    void setChangeAction(std::function<void(double)> action) { m_changed = std::move(action); }

    // The smaller knob inside the style's knob rectangle for a fraction 0…1.
    static QRectF knobRect(const QRectF &base, double fraction);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void setFromPointer(double x);
    void report();

    std::function<void(double)> m_changed;
};

} // namespace brivello
