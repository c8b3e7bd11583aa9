#include "AppearanceCrossfade.h"

#include "ShellEvents.h"

#include <QPainter>
#include <QVariantAnimation>

namespace brivello {

AppearanceCrossfade::AppearanceCrossfade(QWidget *window, QPixmap picture)
    : QWidget(window)
    , m_picture(std::move(picture))
    , m_animation(new QVariantAnimation(this))
{
    setObjectName(QStringLiteral("appearanceCrossfade"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(window->rect());
    m_animation->setDuration(kDurationMs);
    m_animation->setEasingCurve(QEasingCurve::InOutQuad);
    m_animation->setStartValue(1.0);
    m_animation->setEndValue(0.0);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_opacity = value.toReal();
        update();
    });
    connect(m_animation, &QVariantAnimation::finished, this, [this] {
        hide();
        deleteLater();
    });
}

AppearanceCrossfade *AppearanceCrossfade::start(QWidget *window)
{
    if (!window || !window->isVisible() || ShellEvents::instance().reduceMotion())
        return nullptr;
    // The old fade takes no part in the picture: it shows an older look still.
    const auto running = window->findChildren<AppearanceCrossfade *>(Qt::FindDirectChildrenOnly);
    for (AppearanceCrossfade *fade : running)
        fade->hide();
    auto *fade = new AppearanceCrossfade(window, window->grab());
    for (AppearanceCrossfade *old : running)
        old->deleteLater();
    fade->raise();
    fade->show();
    fade->m_animation->start();
    return fade;
}

void AppearanceCrossfade::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setOpacity(m_opacity);
    painter.drawPixmap(rect(), m_picture);
}

} // namespace brivello
