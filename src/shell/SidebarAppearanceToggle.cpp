#include "SidebarAppearanceToggle.h"

#include "BrivelloSymbols.h"
#include "ContextualHint.h"
#include "ShellEvents.h"
#include "platform/BrivelloLocalization.h"
#include "settings/AppearanceToggleController.h"

#include <QPainter>
#include <QVariantAnimation>

namespace brivello {

SidebarAppearanceToggle::SidebarAppearanceToggle(Scheduler &scheduler, QWidget *parent)
    : QAbstractButton(parent)
    , m_controller(new AppearanceToggleController(scheduler, this))
    , m_animation(new QVariantAnimation(this))
{
    setFixedSize(80, 38);
    setFocusPolicy(Qt::NoFocus);
    m_animation->setDuration(260);
    m_animation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_knob = value.toReal();
        update();
    });
    m_controller->setReduceMotion(ShellEvents::instance().reduceMotion());
    m_controller->syncWithSetting();
    m_knob = m_controller->displayedDarkAppearance() ? 1 : 0;
    connect(this, &QAbstractButton::clicked, m_controller, [this] {
        // The desktop's or the user's motion setting may have changed since the last click.
        m_controller->setReduceMotion(ShellEvents::instance().reduceMotion());
        m_controller->toggleAppearance();
    });
    connect(m_controller,
            &AppearanceToggleController::displayedDarkAppearanceChanged,
            this,
            &SidebarAppearanceToggle::knobChanged);
    ContextualHint::attach(this,
                           scheduler,
                           QStringLiteral("Тема оформления"),
                           QStringLiteral("Переключает светлое и тёмное оформление приложения."));
    retranslate();
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            &SidebarAppearanceToggle::retranslate);
}

void SidebarAppearanceToggle::retranslate()
{
    setAccessibleName(BrivelloLocalization::string(QStringLiteral("Тёмное оформление")));
    setAccessibleDescription(BrivelloLocalization::string(m_controller->displayedDarkAppearance()
                                                              ? QStringLiteral("ТЁМНАЯ ТЕМА")
                                                              : QStringLiteral("СВЕТЛАЯ ТЕМА")));
}

void SidebarAppearanceToggle::knobChanged(bool animated)
{
    const qreal target = m_controller->displayedDarkAppearance() ? 1 : 0;
    m_animation->stop();
    if (animated && !ShellEvents::instance().reduceMotion()) {
        m_animation->setStartValue(m_knob);
        m_animation->setEndValue(target);
        m_animation->start();
    } else {
        m_knob = target;
        update();
    }
    retranslate();
}

void SidebarAppearanceToggle::showEvent(QShowEvent *event)
{
    m_controller->syncWithSetting();
    QAbstractButton::showEvent(event);
}

void SidebarAppearanceToggle::hideEvent(QHideEvent *event)
{
    m_controller->cancelPendingWrite();
    QAbstractButton::hideEvent(event);
}

void SidebarAppearanceToggle::paintEvent(QPaintEvent *)
{
    const bool dark = m_controller->displayedDarkAppearance();
    const ColorScheme scheme = ShellEvents::instance().scheme();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track(0.5, 2.5, 79, 33);
    painter.setPen(QPen(dark ? whiteA(0.09) : blackA(0.16), 1));
    painter.setBrush(dark ? blackA(0.28) : blackA(0.055));
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);

    const QPointF centre = track.center();
    const QPointF knob(centre.x() - 22 + 44 * m_knob, centre.y());
    painter.setPen(Qt::NoPen);
    painter.setBrush(dark ? blackA(0.24) : blackA(0.11));
    painter.drawEllipse(knob + QPointF(0, 1), 14.5, 14.5);
    painter.setPen(QPen(dark ? whiteA(0.22) : blackA(0.12), 1));
    painter.setBrush(dark ? whiteA(0.94) : QColor(Qt::white));
    painter.drawEllipse(knob, 14, 14);

    const QColor sun = dark ? whiteA(0.38) : rgbA(0.86, 0.66, 0.16);
    const QColor moon = dark ? rgbA(0.28, 0.39, 0.63) : blackA(0.34);
    const QSizeF glyph(18, 18);
    BrivelloSymbols::paint(painter,
                           QRectF(centre - QPointF(22 + 9, 9), glyph),
                           QStringLiteral("sun.max.fill"),
                           14,
                           sun,
                           scheme);
    BrivelloSymbols::paint(painter,
                           QRectF(centre + QPointF(22 - 9, -9), glyph),
                           QStringLiteral("moon.stars.fill"),
                           14,
                           moon,
                           scheme);
}

} // namespace brivello
