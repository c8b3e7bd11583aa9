#include "PlayerTransportControl.h"

#include "shell/BrivelloSymbols.h"
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
{
    setFixedSize(size, size);
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
    m_symbol = symbol;
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
    const bool hovering = m_hovering && isEnabled();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(surface(scheme, hovering));
    painter.drawEllipse(QRectF(rect()));
    QColor color = foreground(scheme, hovering);
    if (!isEnabled())
        color.setAlphaF(color.alphaF() * 0.4f);
    BrivelloSymbols::paint(painter, QRectF(rect()), m_symbol, m_symbolSize, color, scheme);
}

void PlayerTransportControl::enterEvent(QEnterEvent *event)
{
    m_hovering = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PlayerTransportControl::leaveEvent(QEvent *event)
{
    m_hovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace brivello
