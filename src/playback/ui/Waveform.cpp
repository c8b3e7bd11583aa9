#include "Waveform.h"

#include "playback/ProgressWaveShape.h"
#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"

#include <QDateTime>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace brivello {

namespace {

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

QLinearGradient fade(const QColor &base, qreal top, qreal bottom, qreal height)
{
    QLinearGradient gradient(0, 2, 0, height);
    gradient.setColorAt(0, withAlpha(base, top));
    gradient.setColorAt(1, withAlpha(base, bottom));
    return gradient;
}

} // namespace

Waveform::Waveform(QWidget *parent)
    : QWidget(parent)
{
    m_timer.setInterval(1000 / 30);
    connect(&m_timer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            qOverload<>(&QWidget::update));
}

void Waveform::setProgress(double progress)
{
    if (progress == m_progress)
        return;
    m_progress = progress;
    update();
}

void Waveform::setPlaying(bool playing)
{
    m_playing = playing;
    if (playing)
        m_timer.start();
    else
        m_timer.stop();
    update();
}

double Waveform::phase() const
{
    if (!m_playing)
        return 0;
    static const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return double(reference.msecsTo(QDateTime::currentDateTimeUtc())) / 1000.0;
}

void Waveform::paintFrame(QPainter &painter, double phase) const
{
    const QSizeF size = this->size();
    const double w = size.width();
    const double h = size.height();
    const double p = ProgressWaveShape::clampedProgress(m_progress);
    const bool light = BrivelloTheme::isLight(ShellEvents::instance().scheme());
    const QColor base = light ? rgbA(0.25, 0.30, 0.37) : QColor(Qt::white);
    const QPainterPath line = ProgressWaveShape::line(size, phase);
    const QPainterPath area = ProgressWaveShape::area(size, phase);

    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(area, fade(base, 0.13, 0.008, h));
    painter.strokePath(line, QPen(withAlpha(base, light ? 0.46 : 0.32), 1.15));

    painter.save();
    painter.setClipRect(QRectF(0, 0, w * p, h));
    painter.fillPath(area, fade(base, 0.28, 0.025, h));
    painter.strokePath(line, QPen(withAlpha(base, 0.96), 1.5));
    painter.restore();

    const double x = w * p;
    painter.setPen(QPen(withAlpha(base, 0.92), 1.2));
    painter.drawLine(QPointF(x, 3), QPointF(x, h - 3));
    const double r = ProgressWaveShape::dotRadius(phase, m_playing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(base);
    painter.drawEllipse(QRectF(x - r, h / 2 - r, 2 * r, 2 * r));
}

void Waveform::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintFrame(painter, phase());
}

void Waveform::seek(double x)
{
    if (m_onSeek)
        m_onSeek(ProgressWaveShape::fraction(x, width()));
}

void Waveform::mousePressEvent(QMouseEvent *event)
{
    seek(event->position().x());
}

void Waveform::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        seek(event->position().x());
}

} // namespace brivello
