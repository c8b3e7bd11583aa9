#include "GenreCapsuleButton.h"

#include "shell/BrivelloSymbols.h"
#include "shell/ShellEvents.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace brivello {

namespace {
constexpr qreal kSpacing = 6;
constexpr qreal kSymbolGap = 7;
constexpr qreal kBadgeSide = 18;
} // namespace

GenreCapsuleButton::GenreCapsuleButton(Shape shape, QWidget *parent)
    : QAbstractButton(parent)
    , m_shape(shape)
{
    setFocusPolicy(Qt::NoFocus);
    setFont(BrivelloTheme::font(TextStyle::callout));
    if (shape == Shape::row) {
        m_fill = Fill::none;
        // A row takes the list's width and elides; a long name must not widen the list.
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            qOverload<>(&QWidget::update));
}

void GenreCapsuleButton::setSymbol(const QString &symbol)
{
    m_symbol = symbol;
    updateGeometry();
    update();
}

void GenreCapsuleButton::setBadge(int number)
{
    m_badge = number;
    updateGeometry();
    update();
}

void GenreCapsuleButton::setFill(Fill fill)
{
    m_fill = fill;
    update();
}

void GenreCapsuleButton::setHoverHighlight(bool enabled)
{
    m_hoverHighlight = enabled;
    update();
}

void GenreCapsuleButton::setPadding(qreal horizontal, qreal vertical)
{
    m_paddingX = horizontal;
    m_paddingY = vertical;
    updateGeometry();
}

void GenreCapsuleButton::setTextStyle(TextStyle style, QFont::Weight weight)
{
    setFont(BrivelloTheme::font(style, weight));
    updateGeometry();
}

QColor GenreCapsuleButton::neutralFill(ColorScheme scheme)
{
    return BrivelloTheme::isLight(scheme) ? blackA(0.045) : whiteA(0.055);
}

QColor GenreCapsuleButton::activeFill(ColorScheme scheme)
{
    return BrivelloTheme::isLight(scheme) ? rgbA(0.2, 0.3, 0.43, 0.165) : whiteA(0.105);
}

qreal GenreCapsuleButton::contentWidth() const
{
    qreal width = 0;
    if (!m_symbol.isEmpty())
        width += m_symbolSize + (text().isEmpty() ? 0 : kSymbolGap);
    width += QFontMetricsF(font()).horizontalAdvance(text());
    if (m_badge > 0)
        width += kSpacing + kBadgeSide;
    return width;
}

QSize GenreCapsuleButton::sizeHint() const
{
    const QFontMetricsF metrics(font());
    qreal height = m_paddingY * 2 + std::max({metrics.height(), m_badge > 0 ? kBadgeSide : 0.0});
    if (m_extent > 0)
        height = m_extent;
    const qreal width = m_shape == Shape::circle ? height : m_paddingX * 2 + contentWidth();
    return QSizeF(std::ceil(width), std::ceil(height)).toSize();
}

bool GenreCapsuleButton::hitButton(const QPoint &pos) const
{
    if (m_shape == Shape::row)
        return rect().contains(pos);
    QPainterPath shape;
    const qreal radius = height() / 2.0;
    shape.addRoundedRect(QRectF(rect()), radius, radius);
    return shape.contains(QPointF(pos));
}

void GenreCapsuleButton::enterEvent(QEnterEvent *event)
{
    m_hovering = true;
    update();
    QAbstractButton::enterEvent(event);
}

void GenreCapsuleButton::leaveEvent(QEvent *event)
{
    m_hovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void GenreCapsuleButton::paintBadge(QPainter &painter, const QRectF &box, ColorScheme scheme) const
{
    const QColor secondary = BrivelloTheme::secondary(scheme);
    QColor stroke = secondary;
    stroke.setAlphaF(secondary.alphaF() * 0.45);
    painter.setPen(QPen(stroke, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    QFont badgeFont = BrivelloTheme::font(TextStyle::caption2, QFont::DemiBold);
    badgeFont.setStyleHint(QFont::Monospace);
    painter.setFont(badgeFont);
    painter.setPen(secondary);
    painter.drawText(box, Qt::AlignCenter, QString::number(m_badge));
}

void GenreCapsuleButton::paintEvent(QPaintEvent *)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    const qreal radius = m_shape == Shape::row ? 9 : bounds.height() / 2;
    painter.setPen(Qt::NoPen);
    if (m_fill != Fill::none) {
        painter.setBrush(m_fill == Fill::active ? activeFill(scheme) : neutralFill(scheme));
        painter.drawRoundedRect(bounds, radius, radius);
    }
    if (showsHoverHighlight()) {
        painter.setBrush(BrivelloTheme::hoverFill(scheme));
        painter.drawRoundedRect(bounds, radius, radius);
    }
    QColor foreground = BrivelloTheme::primary(scheme);
    if (!isEnabled())
        foreground.setAlphaF(foreground.alphaF() * 0.4);

    const qreal content = contentWidth();
    qreal x = m_shape == Shape::capsule || m_shape == Shape::circle ? (bounds.width() - content) / 2
                                                                    : m_paddingX;
    if (!m_symbol.isEmpty()) {
        const QRectF box(x, (bounds.height() - m_symbolSize) / 2, m_symbolSize, m_symbolSize);
        BrivelloSymbols::paint(painter, box, m_symbol, m_symbolSize, foreground, scheme);
        x += m_symbolSize + kSymbolGap;
    }
    const qreal badgeRoom = m_badge > 0 ? kSpacing + kBadgeSide : 0;
    const qreal textRight =
        m_shape == Shape::row ? bounds.width() - m_paddingX - badgeRoom : bounds.width();
    painter.setFont(font());
    painter.setPen(foreground);
    const QRectF textBox(x, 0, std::max(0.0, textRight - x), bounds.height());
    const QString shown =
        m_shape == Shape::row
            ? QFontMetricsF(font()).elidedText(text(), Qt::ElideRight, textBox.width())
            : text();
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    if (m_badge > 0) {
        const qreal badgeX = m_shape == Shape::row
                                 ? bounds.width() - m_paddingX - kBadgeSide
                                 : x + QFontMetricsF(font()).horizontalAdvance(text()) + kSpacing;
        paintBadge(painter,
                   QRectF(badgeX, (bounds.height() - kBadgeSide) / 2, kBadgeSide, kBadgeSide),
                   scheme);
    }
}

} // namespace brivello
