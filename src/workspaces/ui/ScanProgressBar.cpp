#include "ScanProgressBar.h"

#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"

#include <QPainter>
#include <cmath>

namespace brivello {

ScanProgressBar::ScanProgressBar(QWidget *parent)
    : QWidget(parent)
{
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ScanProgressBar::setValue(double value)
{
    const double clamped = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
    if (clamped == m_value)
        return;
    m_value = clamped;
    update();
}

QRectF ScanProgressBar::filledRect() const
{
    const QRectF track(rect());
    return QRectF(track.left(), track.top(), track.width() * m_value, track.height());
}

QColor ScanProgressBar::tint(bool light)
{
    return light ? rgbA(0.18, 0.26, 0.36) : QColor(Qt::white);
}

void ScanProgressBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QColor accent = tint(BrivelloTheme::isLight(ShellEvents::instance().scheme()));
    QColor track = accent;
    track.setAlphaF(0.16);
    const qreal radius = height() / 2.0;
    painter.setBrush(track);
    painter.drawRoundedRect(QRectF(rect()), radius, radius);
    const QRectF filled = filledRect();
    if (filled.width() <= 0)
        return;
    painter.setBrush(accent);
    // Below one radius the rounded ends would overlap; the fill starts as a clipped pill.
    painter.setClipRect(filled);
    painter.drawRoundedRect(
        QRectF(rect().left(), 0, std::max(filled.width(), 2 * radius), height()), radius, radius);
}

} // namespace brivello
