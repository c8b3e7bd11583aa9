#include "ActionButton.h"

#include "BrivelloSymbols.h"
#include "BrivelloTheme.h"
#include "MotionValue.h"
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
    , m_hoverMotion(new MotionValue(this, BrivelloTheme::kMotionFeedbackMs))
    , m_pressMotion(new MotionValue(this, BrivelloTheme::kMotionPressMs))
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
    connect(this, &QAbstractButton::pressed, this, &ActionButton::refreshMotion);
    connect(this, &QAbstractButton::released, this, &ActionButton::refreshMotion);
}

void ActionButton::refreshMotion()
{
    m_hoverMotion->setTarget(isHovering());
    m_pressMotion->setTarget(isDown() && isEnabled());
    // A disabled button shows no trace of hover or press, not even fading out.
    if (!isEnabled()) {
        m_hoverMotion->finish();
        m_pressMotion->finish();
    }
}

void ActionButton::setTitleKey(const QString &titleKey)
{
    if (titleKey == m_titleKey)
        return;
    m_titleKey = titleKey;
    retranslate();
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
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QColor resting =
        m_hoverMotion->blend(BrivelloTheme::actionSurface(scheme, false, enabled, false),
                             BrivelloTheme::actionSurface(scheme, false, enabled, true));
    painter.setPen(Qt::NoPen);
    painter.setBrush(
        m_pressMotion->blend(resting, BrivelloTheme::actionSurface(scheme, true, enabled, true)));
    painter.drawRoundedRect(shape, kRadius, kRadius);
    painter.setPen(QPen(m_hoverMotion->blend(BrivelloTheme::actionBorder(scheme, enabled, false),
                                             BrivelloTheme::actionBorder(scheme, enabled, true)),
                        1));
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
    refreshMotion();
    QAbstractButton::enterEvent(event);
}

void ActionButton::leaveEvent(QEvent *event)
{
    m_hovering = false;
    refreshMotion();
    QAbstractButton::leaveEvent(event);
}

void ActionButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        refreshMotion();
    QAbstractButton::changeEvent(event);
}

} // namespace brivello
