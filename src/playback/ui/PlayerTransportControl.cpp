#include "PlayerTransportControl.h"

#include "shell/BrivelloSymbols.h"
#include "shell/MotionValue.h"
#include "shell/ShellEvents.h"

#include <QPainter>

namespace brivello {

PlayerTransportControl::PlayerTransportControl(const QString &symbol,
                                               int size,
                                               qreal symbolSize,
                                               QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_symbolSize(symbolSize)
    , m_hover(new QVariantAnimation(this))
    , m_replace(new QVariantAnimation(this))
{
    setFixedSize(size, size);
    m_hover->setDuration(BrivelloTheme::kMotionFeedbackMs);
    m_hover->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_hover, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_hoverLevel = value.toReal();
        update();
    });
    m_replace->setDuration(BrivelloTheme::kMotionStateMs);
    m_replace->setEasingCurve(QEasingCurve::OutCubic);
    m_replace->setStartValue(0.0);
    m_replace->setEndValue(1.0);
    connect(m_replace, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    setFocusPolicy(Qt::NoFocus);
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            qOverload<>(&QWidget::update));
}

void PlayerTransportControl::setSymbol(const QString &symbol)
{
    if (symbol == m_symbol)
        return;
    m_previousSymbol = m_symbol;
    m_symbol = symbol;
    m_replace->stop();
    if (!ShellEvents::instance().reduceMotion() && isVisible())
        m_replace->start();
    update();
}

void PlayerTransportControl::setHovering(bool hovering)
{
    m_hovering = hovering;
    m_hover->stop();
    const qreal end = hovering ? 1 : 0;
    if (ShellEvents::instance().reduceMotion() || !isVisible()) {
        m_hoverLevel = end;
    } else {
        m_hover->setStartValue(m_hoverLevel);
        m_hover->setEndValue(end);
        m_hover->start();
    }
    update();
}

QColor PlayerTransportControl::foreground(ColorScheme scheme, bool hovering)
{
    if (BrivelloTheme::isLight(scheme))
        return blackA(hovering ? 0.92 : 0.72);
    return hovering ? QColor(Qt::black) : BrivelloTheme::primary(scheme);
}

QColor PlayerTransportControl::surface(ColorScheme scheme, bool hovering)
{
    if (BrivelloTheme::isLight(scheme))
        return blackA(hovering ? 0.14 : 0.065);
    return whiteA(hovering ? 0.94 : 0.1);
}

void PlayerTransportControl::paintEvent(QPaintEvent *)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const qreal hover = isEnabled() ? m_hoverLevel : 0;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(MotionValue::blend(surface(scheme, false), surface(scheme, true), hover));
    painter.drawEllipse(QRectF(rect()));
    QColor color = MotionValue::blend(foreground(scheme, false), foreground(scheme, true), hover);
    if (!isEnabled())
        color.setAlphaF(color.alphaF() * 0.4f);
    if (isReplacingSymbol()) {
        const qreal t = m_replace->currentValue().toReal();
        paintSymbol(painter, m_previousSymbol, 1 - t, color);
        paintSymbol(painter, m_symbol, t, color);
    } else {
        paintSymbol(painter, m_symbol, 1, color);
    }
}

// `amount` 1 is the symbol in full; less shrinks it about the centre and fades it.
void PlayerTransportControl::paintSymbol(QPainter &painter,
                                         const QString &symbol,
                                         qreal amount,
                                         const QColor &color)
{
    if (amount <= 0)
        return;
    painter.save();
    painter.setOpacity(amount);
    const qreal scale = 0.6 + 0.4 * amount;
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);
    BrivelloSymbols::paint(
        painter, QRectF(rect()), symbol, m_symbolSize, color, ShellEvents::instance().scheme());
    painter.restore();
}

void PlayerTransportControl::enterEvent(QEnterEvent *event)
{
    setHovering(true);
    QAbstractButton::enterEvent(event);
}

void PlayerTransportControl::leaveEvent(QEvent *event)
{
    setHovering(false);
    QAbstractButton::leaveEvent(event);
}

} // namespace brivello
