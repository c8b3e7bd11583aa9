#include "MotionValue.h"

#include "ShellEvents.h"

#include <QWidget>

namespace brivello {

MotionValue::MotionValue(QWidget *widget, int durationMs, QEasingCurve::Type easing)
    : QObject(widget)
    , m_widget(widget)
    , m_animation(new QVariantAnimation(this))
{
    m_animation->setDuration(durationMs);
    m_animation->setEasingCurve(easing);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_value = value.toReal();
        m_widget->update();
    });
}

void MotionValue::setTarget(bool on)
{
    if (on == m_target)
        return;
    m_target = on;
    const qreal end = on ? 1 : 0;
    m_animation->stop();
    const bool reduced = ShellEvents::instance().reduceMotion() && !m_ignoresReducedMotion;
    if (reduced || !m_widget->isVisible()) {
        m_value = end;
        m_widget->update();
        return;
    }
    m_animation->setStartValue(m_value);
    m_animation->setEndValue(end);
    m_animation->start();
}

void MotionValue::finish()
{
    if (isRunning())
        m_animation->setCurrentTime(m_animation->duration());
}

QColor MotionValue::blend(const QColor &from, const QColor &to) const
{
    return blend(from, to, m_value);
}

QColor MotionValue::blend(const QColor &from, const QColor &to, qreal t)
{
    if (t <= 0)
        return from;
    if (t >= 1)
        return to;
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    const auto mix = [t](float x, float y) { return x + (y - x) * float(t); };
    return QColor::fromRgbF(mix(a.redF(), b.redF()),
                            mix(a.greenF(), b.greenF()),
                            mix(a.blueF(), b.blueF()),
                            mix(a.alphaF(), b.alphaF()));
}

} // namespace brivello
