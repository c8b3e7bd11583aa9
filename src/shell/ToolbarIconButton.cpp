#include "ToolbarIconButton.h"

#include "BrivelloSymbols.h"
#include "MotionValue.h"
#include "ShellEvents.h"

#include <QPainter>

namespace brivello {

ToolbarIconButton::ToolbarIconButton(const QString &symbol, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_hoverMotion(new MotionValue(this, BrivelloTheme::kMotionStateMs))
{
    setFocusPolicy(Qt::NoFocus);
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            qOverload<>(&QWidget::update));
}

void ToolbarIconButton::setSymbol(const QString &symbol)
{
    m_symbol = symbol;
    update();
}

void ToolbarIconButton::enterEvent(QEnterEvent *event)
{
    m_hoverMotion->setTarget(isEnabled());
    QAbstractButton::enterEvent(event);
}

void ToolbarIconButton::leaveEvent(QEvent *event)
{
    m_hoverMotion->setTarget(false);
    QAbstractButton::leaveEvent(event);
}

void ToolbarIconButton::paintEvent(QPaintEvent *)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal glyph = 15;
    const QRectF capsule(
        width() / 2.0 - glyph / 2 - 5, height() / 2.0 - glyph / 2 - 3, glyph + 10, glyph + 6);
    const qreal hover = m_hoverMotion->value();
    if (hover > 0) {
        painter.setOpacity(hover);
        painter.setPen(QPen(light ? blackA(0.19) : whiteA(0.16), 1));
        painter.setBrush(BrivelloTheme::hoverFill(scheme));
        painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
        painter.setOpacity(1);
    }
    const QColor color =
        m_hoverMotion->blend(BrivelloTheme::secondary(scheme),
                             light ? BrivelloTheme::primary(scheme) : QColor(Qt::white));
    BrivelloSymbols::paint(painter, QRectF(rect()), m_symbol, glyph, color, scheme);
}

} // namespace brivello
