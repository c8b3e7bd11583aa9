#include "SettingsSidebarEntry.h"

#include "SettingsLook.h"
#include "platform/BrivelloLocalization.h"
#include "shell/BrivelloSymbols.h"

#include <QPainter>

namespace brivello {

namespace {
constexpr int kPaddingX = 10;
constexpr int kPaddingY = 8;
constexpr int kIconSpacing = 9;
} // namespace

SettingsSidebarEntry::SettingsSidebarEntry(SettingsSheet::SettingsSection section, QWidget *parent)
    : QAbstractButton(parent)
    , m_section(section)
{
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    setFont(BrivelloTheme::font(TextStyle::body, QFont::Medium));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    retranslate();
}

void SettingsSidebarEntry::retranslate()
{
    setText(BrivelloLocalization::string(SettingsSheet::titleKey(m_section)));
    setAccessibleName(text());
    update();
}

QSize SettingsSidebarEntry::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int icon = int(BrivelloTheme::iconFrame(BrivelloIconScale::compact));
    return {2 * kPaddingX + icon + kIconSpacing + metrics.horizontalAdvance(text()),
            2 * kPaddingY + qMax(icon, metrics.height())};
}

void SettingsSidebarEntry::paintEvent(QPaintEvent *)
{
    const ColorScheme scheme = SettingsLook::scheme();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isChecked()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(BrivelloTheme::isLight(scheme) ? rgbA(0.20, 0.30, 0.43, 0.165)
                                                        : whiteA(0.105));
        painter.drawRoundedRect(rect(), 8, 8);
    } else {
        BrivelloTheme::paintInteractiveHover(painter, rect(), scheme, m_hovering);
    }
    const qreal icon = BrivelloTheme::iconFrame(BrivelloIconScale::compact);
    const QColor color = BrivelloTheme::primary(scheme);
    BrivelloSymbols::paint(painter,
                           QPointF(kPaddingX, (height() - icon) / 2),
                           SettingsSheet::symbol(m_section),
                           BrivelloIconScale::compact,
                           color,
                           scheme);
    painter.setPen(color);
    painter.setFont(font());
    const qreal textX = kPaddingX + icon + kIconSpacing;
    painter.drawText(
        QRectF(textX, 0, width() - textX, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}

void SettingsSidebarEntry::enterEvent(QEnterEvent *event)
{
    m_hovering = true;
    update();
    QAbstractButton::enterEvent(event);
}

void SettingsSidebarEntry::leaveEvent(QEvent *event)
{
    m_hovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace brivello
