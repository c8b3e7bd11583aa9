#include "ActionButton.h"

#include "BrivelloSymbols.h"
#include "BrivelloTheme.h"
#include "ShellEvents.h"
#include "platform/BrivelloLocalization.h"

#include <QEvent>
#include <QPainter>

namespace brivello {

namespace {
constexpr qreal kPaddingX = 13;
constexpr qreal kPaddingY = 8;
constexpr qreal kSpacing = 7;
constexpr qreal kRadius = 9;
} // namespace

ActionButton::ActionButton(const QString &titleKey, const QString &symbol, QWidget *parent)
    : QAbstractButton(parent)
    , m_titleKey(titleKey)
    , m_symbol(symbol)
{
    setFont(BrivelloTheme::font(TextStyle::body, QFont::Medium));
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::NoFocus);
    retranslate();
    connect(
        &ShellEvents::instance(), &ShellEvents::languageChanged, this, &ActionButton::retranslate);
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            qOverload<>(&QWidget::update));
}

void ActionButton::retranslate()
{
    setText(BrivelloLocalization::string(m_titleKey));
    setAccessibleName(text());
    updateGeometry();
    update();
}

QSize ActionButton::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const qreal icon = BrivelloTheme::iconFrame(BrivelloIconScale::compact);
    const qreal width = kPaddingX * 2 + icon + kSpacing + metrics.horizontalAdvance(text());
    const qreal height = kPaddingY * 2 + qMax(icon, metrics.height());
    return QSizeF(width, height).toSize() + QSize(1, 0);
}

void ActionButton::paintEvent(QPaintEvent *)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool enabled = isEnabled();
    const bool pressed = isDown() && enabled;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(BrivelloTheme::actionSurface(scheme, pressed, enabled, isHovering()));
    painter.drawRoundedRect(shape, kRadius, kRadius);
    painter.setPen(QPen(BrivelloTheme::actionBorder(scheme, enabled, isHovering()), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(shape, kRadius, kRadius);

    const QColor foreground = BrivelloTheme::actionForeground(scheme, enabled);
    const qreal icon = BrivelloTheme::iconFrame(BrivelloIconScale::compact);
    const QFontMetricsF metrics(font());
    const qreal contentWidth = icon + kSpacing + metrics.horizontalAdvance(text());
    const qreal x = (width() - contentWidth) / 2;
    BrivelloSymbols::paint(painter,
                           QPointF(x, (height() - icon) / 2),
                           m_symbol,
                           BrivelloIconScale::compact,
                           foreground,
                           scheme);
    painter.setPen(foreground);
    painter.setFont(font());
    painter.drawText(QRectF(x + icon + kSpacing, 0, width(), height()),
                     Qt::AlignVCenter | Qt::AlignLeft,
                     text());
}

void ActionButton::enterEvent(QEnterEvent *event)
{
    m_hovering = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ActionButton::leaveEvent(QEvent *event)
{
    m_hovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void ActionButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QAbstractButton::changeEvent(event);
}

} // namespace brivello
