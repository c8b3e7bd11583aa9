#pragma once

#include <QColor>
#include <QObject>
#include <QVariantAnimation>

class QWidget;

namespace brivello {

// A value between 0 and 1 that eases out to its target over one of the theme's motion
// durations (at once with reduced motion, or while its widget is hidden) and repaints the
// widget on every step: hover, press and highlight fades. Owned by the widget; main thread.
class MotionValue : public QObject
{
    Q_OBJECT
public:
    MotionValue(QWidget *widget,
                int durationMs,
                QEasingCurve::Type easing = QEasingCurve::OutCubic);

    qreal value() const { return m_value; }
    bool target() const { return m_target; }
    bool isRunning() const { return m_animation->state() == QAbstractAnimation::Running; }
    int duration() const { return m_animation->duration(); }
    QEasingCurve::Type easing() const { return m_animation->easingCurve().type(); }
    // A change that still eases with reduced motion (a fade that moves nothing).
    void setIgnoresReducedMotion(bool ignores) { m_ignoresReducedMotion = ignores; }

    void setTarget(bool on);
    // Ends a running change at its target.
    void finish();

    // `from` at 0, `to` at 1, channel by channel.
    QColor blend(const QColor &from, const QColor &to) const;
    static QColor blend(const QColor &from, const QColor &to, qreal t);

private:
    QWidget *m_widget;
    QVariantAnimation *m_animation;
    qreal m_value = 0;
    bool m_target = false;
    bool m_ignoresReducedMotion = false;
};

} // namespace brivello
