#include "ScrollVolumeSlider.h"

#include "playback/VolumeWheelStep.h"
#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

namespace brivello {

namespace {
constexpr qreal kBaseKnob = 16;
constexpr qreal kTrackHeight = 4;
} // namespace

ScrollVolumeSlider::ScrollVolumeSlider(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    setRange(0, kSteps);
    setFocusPolicy(Qt::NoFocus);
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            qOverload<>(&QWidget::update));
}

void ScrollVolumeSlider::setBoundVolume(double volume)
{
    if (std::abs(volume - this->volume()) > 0.001)
        setValue(int(std::lround(volume * kSteps)));
}

QRectF ScrollVolumeSlider::knobRect(const QRectF &base, double fraction)
{
    const double f = std::clamp(fraction, 0.0, 1.0);
    const QSizeF size(base.width() * kKnobScale, base.height() * kKnobScale);
    const double x = base.height() > base.width() ? base.center().x() - size.width() / 2
                                                  : base.left() + f * (base.width() - size.width());
    return QRectF(QPointF(x, base.center().y() - size.height() / 2), size);
}

void ScrollVolumeSlider::report()
{
    if (m_changed)
        m_changed(volume());
}

void ScrollVolumeSlider::wheelEvent(QWheelEvent *event)
{
    const auto delta = VolumeWheelStep::delta(event->pixelDelta(), event->angleDelta());
    setValue(int(std::lround(VolumeWheelStep::slider(volume(), delta) * kSteps)));
    report();
    event->accept();
}

void ScrollVolumeSlider::setFromPointer(double x)
{
    const double travel = std::max(1.0, width() - kBaseKnob);
    const double fraction = std::clamp((x - kBaseKnob / 2) / travel, 0.0, 1.0);
    setValue(int(std::lround(fraction * kSteps)));
    report();
}

void ScrollVolumeSlider::mousePressEvent(QMouseEvent *event)
{
    setFromPointer(event->position().x());
}

void ScrollVolumeSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        setFromPointer(event->position().x());
}

void ScrollVolumeSlider::paintEvent(QPaintEvent *)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double midY = height() / 2.0;
    const QRectF track(kBaseKnob / 2, midY - kTrackHeight / 2, width() - kBaseKnob, kTrackHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(light ? blackA(0.12) : whiteA(0.16));
    painter.drawRoundedRect(track, 2, 2);
    const QRectF base(volume() * (width() - kBaseKnob), midY - kBaseKnob / 2, kBaseKnob, kBaseKnob);
    painter.setBrush(light ? blackA(0.55) : whiteA(0.8));
    painter.drawRoundedRect(
        QRectF(track.left(), track.top(), base.center().x() - track.left(), kTrackHeight), 2, 2);
    painter.setBrush(light ? QColor(Qt::white) : QColor(230, 230, 235));
    painter.setPen(QPen(blackA(0.18), 0.5));
    painter.drawEllipse(knobRect(base, volume()));
}

} // namespace brivello
