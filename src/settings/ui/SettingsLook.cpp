#include "SettingsLook.h"

#include "shell/ShellEvents.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>

namespace brivello {

ColorScheme SettingsLook::scheme()
{
    return ShellEvents::instance().scheme();
}

QLabel *SettingsLook::label(TextStyle style, QWidget *parent, QFont::Weight weight)
{
    auto *label = new QLabel(parent);
    label->setFont(BrivelloTheme::font(style, weight));
    return label;
}

void SettingsLook::setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QColor SettingsLook::symbolTint(ColorScheme scheme)
{
    return BrivelloTheme::isLight(scheme) ? rgbA(0.16, 0.25, 0.36) : QColor(Qt::white);
}

QColor SettingsLook::cardFill(ColorScheme scheme)
{
    return BrivelloTheme::isLight(scheme) ? blackA(0.045) : whiteA(0.055);
}

void SettingsLook::paintCard(QPainter &painter,
                             const QRectF &rect,
                             qreal radius,
                             ColorScheme scheme)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(cardFill(scheme));
    painter.drawRoundedRect(rect, radius, radius);
}

QWidget *SettingsLook::divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    setTextColor(line, BrivelloTheme::isLight(scheme()) ? blackA(0.12) : whiteA(0.14));
    return line;
}

} // namespace brivello
