#include "ProgressSpinner.h"

#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"

#include <QPainter>
#include <cmath>

namespace brivello {

ProgressSpinner::ProgressSpinner(int side, QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(side, side);
    m_timer.setInterval(60);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_phase = std::fmod(m_phase + 0.08, 1.0);
        update();
    });
}

void ProgressSpinner::paint(QPainter &painter, const QRectF &ring, qreal phase, const QColor &color)
{
    QPen pen(color, std::max<qreal>(1.6, ring.width() / 9));
    pen.setCapStyle(Qt::RoundCap);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(ring, int(-phase * 360 * 16), 270 * 16);
    painter.restore();
}

void ProgressSpinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const qreal inset = std::max<qreal>(1.6, width() / 9.0);
    paint(painter,
          QRectF(rect()).adjusted(inset, inset, -inset, -inset),
          m_phase,
          BrivelloTheme::secondary(ShellEvents::instance().scheme()));
}

void ProgressSpinner::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_timer.start();
}

void ProgressSpinner::hideEvent(QHideEvent *event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

} // namespace brivello
