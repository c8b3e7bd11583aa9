#include "BrivelloTheme.h"

#include "settings/ShellSettings.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace brivello {

QColor rgbA(qreal red, qreal green, qreal blue, qreal opacity)
{
    return QColor::fromRgbF(float(red), float(green), float(blue), float(opacity));
}

QColor whiteA(qreal opacity)
{
    return rgbA(1, 1, 1, opacity);
}

QColor blackA(qreal opacity)
{
    return rgbA(0, 0, 0, opacity);
}

ColorScheme BrivelloTheme::schemeFor(const QString &appearance)
{
    return appearance == QLatin1String("light") ? ColorScheme::light : ColorScheme::dark;
}

ColorScheme BrivelloTheme::currentScheme()
{
    return schemeFor(ShellSettings::standard().appAppearance());
}

QList<QColor> BrivelloTheme::canvasGradient(ColorScheme scheme)
{
    if (isLight(scheme))
        return {rgbA(0.955, 0.953, 0.945), rgbA(0.925, 0.928, 0.925), rgbA(0.972, 0.97, 0.962)};
    return {rgbA(0.018, 0.019, 0.024), rgbA(0.075, 0.08, 0.095), rgbA(0.022, 0.025, 0.03)};
}

QList<QColor> BrivelloTheme::glassBorderColors(ColorScheme scheme)
{
    if (isLight(scheme))
        return {whiteA(0.92), blackA(0.07), blackA(0.16)};
    return {whiteA(0.2), whiteA(0.055), blackA(0.12)};
}

QColor BrivelloTheme::glassFill(ColorScheme scheme)
{
    // The dark panel stands in for a blurred material: a faint lift over the canvas.
    return isLight(scheme) ? rgbA(0.985, 0.984, 0.978, 0.94) : rgbA(0.16, 0.17, 0.2, 0.42);
}

QColor BrivelloTheme::inputFill(ColorScheme scheme, bool focused)
{
    if (isLight(scheme))
        return whiteA(focused ? 0.96 : 0.72);
    return whiteA(focused ? 0.11 : 0.055);
}

QColor BrivelloTheme::actionForeground(ColorScheme scheme, bool enabled)
{
    if (isLight(scheme))
        return blackA(enabled ? 0.84 : 0.3);
    return whiteA(enabled ? 0.92 : 0.34);
}

QColor BrivelloTheme::actionBorder(ColorScheme scheme, bool enabled, bool hovering)
{
    const bool lit = enabled && hovering;
    if (isLight(scheme))
        return blackA(lit ? 0.22 : 0.12);
    return whiteA(lit ? 0.22 : 0.09);
}

QColor BrivelloTheme::actionSurface(ColorScheme scheme, bool pressed, bool enabled, bool hovering)
{
    const bool light = isLight(scheme);
    if (pressed)
        return blackA(light ? 0.13 : 0.48);
    if (enabled && hovering)
        return blackA(light ? 0.085 : 0.4);
    return blackA(light ? 0.035 : 0.28);
}

QColor BrivelloTheme::hoverFill(ColorScheme scheme)
{
    return isLight(scheme) ? rgbA(0.1, 0.14, 0.2, 0.06) : whiteA(0.026);
}

QColor BrivelloTheme::dropFill(ColorScheme scheme)
{
    return isLight(scheme) ? rgbA(0.16, 0.24, 0.34, 0.075) : whiteA(0.10);
}

QColor BrivelloTheme::dropBorder(ColorScheme scheme)
{
    return isLight(scheme) ? rgbA(0.12, 0.20, 0.30, 0.55) : whiteA(0.82);
}

QColor BrivelloTheme::primary(ColorScheme scheme)
{
    return isLight(scheme) ? blackA(0.85) : whiteA(0.88);
}

QColor BrivelloTheme::secondary(ColorScheme scheme)
{
    return isLight(scheme) ? blackA(0.5) : whiteA(0.55);
}

QPalette BrivelloTheme::palette(ColorScheme scheme)
{
    const bool light = isLight(scheme);
    const QColor window = light ? rgbA(0.94, 0.94, 0.93) : rgbA(0.09, 0.095, 0.11);
    const QColor base = light ? QColor(Qt::white) : rgbA(0.12, 0.125, 0.145);
    const QColor text = light ? rgbA(0.1, 0.1, 0.1) : rgbA(0.92, 0.92, 0.93);
    const QColor highlight = light ? rgbA(0.2, 0.42, 0.78) : rgbA(0.28, 0.44, 0.72);
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, light ? rgbA(0.96, 0.96, 0.955) : rgbA(0.14, 0.145, 0.165));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, light ? rgbA(0.97, 0.97, 0.965) : rgbA(0.16, 0.165, 0.19));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, secondary(scheme));
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, highlight);
    p.setColor(QPalette::BrightText, light ? Qt::black : Qt::white);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, light ? blackA(0.3) : whiteA(0.34));
    return p;
}

QFont BrivelloTheme::systemFont(qreal pixelSize, QFont::Weight weight)
{
    QFont font;
    font.setPixelSize(qRound(pixelSize));
    font.setWeight(weight);
    return font;
}

QFont BrivelloTheme::font(TextStyle style, QFont::Weight weight)
{
    switch (style) {
    case TextStyle::title2:
        return systemFont(17, weight);
    case TextStyle::title3:
        return systemFont(15, weight);
    case TextStyle::headline:
        return systemFont(13, weight == QFont::Normal ? QFont::DemiBold : weight);
    case TextStyle::body:
        return systemFont(13, weight);
    case TextStyle::callout:
        return systemFont(12, weight);
    case TextStyle::subheadline:
        return systemFont(11, weight);
    case TextStyle::caption:
        return systemFont(10, weight);
    case TextStyle::caption2:
        return systemFont(10, weight);
    }
    return systemFont(13, weight);
}

qreal BrivelloTheme::iconFontSize(BrivelloIconScale scale)
{
    switch (scale) {
    case BrivelloIconScale::compact:
        return 13;
    case BrivelloIconScale::regular:
        return 15;
    case BrivelloIconScale::section:
        return 18;
    case BrivelloIconScale::emptyState:
        return 36;
    }
    return 15;
}

qreal BrivelloTheme::iconFrame(BrivelloIconScale scale)
{
    switch (scale) {
    case BrivelloIconScale::compact:
        return 16;
    case BrivelloIconScale::regular:
        return 20;
    case BrivelloIconScale::section:
        return 24;
    case BrivelloIconScale::emptyState:
        return 46;
    }
    return 20;
}

void BrivelloTheme::paintCanvas(QPainter &painter, const QRectF &rect, ColorScheme scheme)
{
    const QList<QColor> stops = canvasGradient(scheme);
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0, stops[0]);
    gradient.setColorAt(0.5, stops[1]);
    gradient.setColorAt(1, stops[2]);
    painter.fillRect(rect, gradient);

    // Two soft glows; a radial falloff stands in for the blurred circles.
    const bool light = isLight(scheme);
    const auto glow = [&](QPointF offset, qreal diameter, qreal blur, QColor color) {
        const QPointF centre = rect.center() + offset;
        const qreal radius = diameter / 2 + blur;
        QRadialGradient radial(centre, radius);
        QColor clear = color;
        clear.setAlphaF(0);
        radial.setColorAt(0, color);
        radial.setColorAt((diameter / 2 - blur * 0.6) / radius, color);
        radial.setColorAt(1, clear);
        painter.setPen(Qt::NoPen);
        painter.setBrush(radial);
        painter.drawEllipse(centre, radius, radius);
    };
    glow({-360, -310}, 520, 95, whiteA(light ? 0.36 : 0.08));
    glow({450, 360}, 600, 115, light ? blackA(0.018) : whiteA(0.045));
}

void BrivelloTheme::paintGlass(QPainter &painter,
                               const QRectF &rect,
                               qreal radius,
                               ColorScheme scheme)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glassFill(scheme));
    painter.drawRoundedRect(shape, radius, radius);
    const QList<QColor> border = glassBorderColors(scheme);
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0, border[0]);
    gradient.setColorAt(0.5, border[1]);
    gradient.setColorAt(1, border[2]);
    painter.setPen(QPen(QBrush(gradient), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(shape, radius, radius);
    painter.restore();
}

void BrivelloTheme::paintInteractiveHover(QPainter &painter,
                                          const QRectF &rect,
                                          ColorScheme scheme,
                                          bool active)
{
    if (!active)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(hoverFill(scheme));
    painter.drawRoundedRect(rect, 9, 9);
    painter.restore();
}

} // namespace brivello
