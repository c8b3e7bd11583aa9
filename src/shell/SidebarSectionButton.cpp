#include "SidebarSectionButton.h"

#include "BrivelloSymbols.h"
#include "MotionValue.h"
#include "ShellEvents.h"
#include "platform/AppLanguage.h"
#include "platform/BrivelloLocalization.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>

namespace brivello {

namespace {
constexpr qreal kRadius = 10;
constexpr qreal kIconFrame = 24;
} // namespace

SidebarSectionButton::SidebarSectionButton(const QString &titleKey,
                                           const QString &icon,
                                           QWidget *parent)
    : QAbstractButton(parent)
    , m_titleKey(titleKey)
    , m_icon(icon)
    , m_hoverMotion(new MotionValue(this, kHoverFadeMs))
    , m_dropMotion(new MotionValue(this, BrivelloTheme::kMotionFeedbackMs))
    , m_selectionMotion(new MotionValue(this, kSelectionFadeMs, QEasingCurve::InOutQuad))
{
    setAcceptDrops(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    retranslate();
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            &SidebarSectionButton::retranslate);
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            qOverload<>(&QWidget::update));
}

void SidebarSectionButton::retranslate()
{
    m_title = BrivelloLocalization::string(m_titleKey);
    setToolTip(m_title);
    setAccessibleName(m_title);
    setAccessibleDescription(BrivelloLocalization::format(QStringLiteral("%d"), m_count));
    update();
}

void SidebarSectionButton::setCount(int count)
{
    if (count == m_count)
        return;
    m_count = count;
    setAccessibleDescription(BrivelloLocalization::format(QStringLiteral("%d"), m_count));
    update();
}

void SidebarSectionButton::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    if (selected)
        m_hovering = false;
    m_hoverMotion->setTarget(m_hovering);
    m_selectionMotion->setTarget(selected);
    update();
}

void SidebarSectionButton::setExpansion(double expansion,
                                        double rowHeight,
                                        double padding,
                                        double iconSpacing)
{
    m_expansion = expansion;
    m_padding = padding;
    m_iconSpacing = iconSpacing;
    setFixedHeight(int(rowHeight));
    update();
}

void SidebarSectionButton::enterEvent(QEnterEvent *event)
{
    m_hovering = !m_selected && !m_dropTarget;
    m_hoverMotion->setTarget(m_hovering);
    QAbstractButton::enterEvent(event);
}

void SidebarSectionButton::leaveEvent(QEvent *event)
{
    m_hovering = false;
    m_hoverMotion->setTarget(false);
    QAbstractButton::leaveEvent(event);
}

QList<QUrl> SidebarSectionButton::fileURLs(const QMimeData *mime)
{
    QList<QUrl> urls;
    if (!mime || !mime->hasUrls())
        return urls;
    for (const QUrl &url : mime->urls())
        if (url.isLocalFile())
            urls.append(url);
    return urls;
}

void SidebarSectionButton::acceptAsCopy(QDropEvent *event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void SidebarSectionButton::setDropTarget(bool value)
{
    m_dropTarget = value;
    if (value)
        m_hovering = false;
    m_hoverMotion->setTarget(m_hovering);
    m_dropMotion->setTarget(value);
    update();
}

void SidebarSectionButton::dragEnterEvent(QDragEnterEvent *event)
{
    if (fileURLs(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    acceptAsCopy(event);
    setDropTarget(true);
}

void SidebarSectionButton::dragLeaveEvent(QDragLeaveEvent *event)
{
    setDropTarget(false);
    QAbstractButton::dragLeaveEvent(event);
}

void SidebarSectionButton::dropEvent(QDropEvent *event)
{
    setDropTarget(false);
    const QList<QUrl> urls = fileURLs(event->mimeData());
    if (urls.isEmpty()) {
        event->ignore();
        return;
    }
    acceptAsCopy(event);
    if (m_receiveURLs)
        m_receiveURLs(urls);
}

QColor SidebarSectionButton::primaryForeground() const
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const QColor selected = BrivelloTheme::primary(scheme);
    QColor color = selected;
    const qreal resting = BrivelloTheme::isLight(scheme) ? 0.66 : 0.64;
    color.setAlphaF(
        float(selected.alphaF() * (resting + (0.84 - resting) * m_hoverMotion->value())));
    return m_selectionMotion->blend(color, selected);
}

void SidebarSectionButton::paintTitle(QPainter &painter,
                                      const QRectF &rect,
                                      const QColor &color) const
{
    // The weight changes as a cross-fade of the two weights while the selection moves.
    const qreal selected = m_selectionMotion->value();
    const qreal opacity = painter.opacity();
    painter.setPen(color);
    for (const bool semibold : {false, true}) {
        const qreal share = semibold ? selected : 1 - selected;
        if (share <= 0)
            continue;
        const QFont font =
            BrivelloTheme::font(TextStyle::body, semibold ? QFont::DemiBold : QFont::Normal);
        painter.setFont(font);
        painter.setOpacity(opacity * share);
        painter.drawText(rect,
                         Qt::AlignVCenter | Qt::AlignLeft,
                         QFontMetricsF(font).elidedText(m_title, Qt::ElideRight, rect.width()));
    }
    painter.setOpacity(opacity);
}

void SidebarSectionButton::paintEvent(QPaintEvent *)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QColor hoverFill = light ? blackA(0.035) : whiteA(0.035);
    const QColor resting = m_hoverMotion->blend(
        QColor(hoverFill.red(), hoverFill.green(), hoverFill.blue(), 0), hoverFill);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_dropMotion->blend(resting, BrivelloTheme::dropFill(scheme)));
    painter.drawRoundedRect(shape, kRadius, kRadius);
    if (const qreal drop = m_dropMotion->value(); drop > 0) {
        painter.setOpacity(drop);
        painter.setPen(QPen(light ? rgbA(0.12, 0.20, 0.30, 0.55) : whiteA(0.82), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(
            QRectF(rect()).adjusted(1, 1, -1, -1), kRadius - 0.5, kRadius - 0.5);
        painter.setOpacity(1);
    }
    const QColor foreground = primaryForeground();
    const qreal centredX = (width() - kIconFrame) / 2;
    const qreal iconX = centredX + (m_padding - centredX) * m_expansion;
    BrivelloSymbols::paint(painter,
                           QRectF(iconX, (height() - kIconFrame) / 2, kIconFrame, kIconFrame),
                           m_icon,
                           BrivelloTheme::iconFontSize(BrivelloIconScale::regular),
                           foreground,
                           scheme);
    if (m_expansion <= 0)
        return;
    painter.setOpacity(m_expansion);
    const QFont countFont = BrivelloTheme::font(TextStyle::caption);
    const QString countText = QString::number(m_count);
    const qreal countWidth = QFontMetricsF(countFont).horizontalAdvance(countText);
    const qreal titleX = iconX + kIconFrame + m_iconSpacing;
    const QRectF titleRect(titleX, 0, width() - m_padding - countWidth - titleX - 4, height());
    paintTitle(painter, titleRect, foreground);
    QColor countColor = BrivelloTheme::primary(scheme);
    countColor.setAlphaF(
        float(countColor.alphaF() * (0.48 + (0.76 - 0.48) * m_selectionMotion->value())));
    painter.setFont(countFont);
    painter.setPen(countColor);
    painter.drawText(
        QRectF(0, 0, width() - m_padding, height()), Qt::AlignVCenter | Qt::AlignRight, countText);
}

} // namespace brivello
