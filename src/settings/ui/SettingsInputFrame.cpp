#include "SettingsInputFrame.h"

#include "SettingsLook.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>

namespace brivello {

SettingsInputFrame::SettingsInputFrame(QWidget *input, int paddingX, int paddingY, QWidget *parent)
    : QWidget(parent)
    , m_input(input)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(paddingX, paddingY, paddingX, paddingY);
    layout->addWidget(input);
    input->installEventFilter(this);
}

bool SettingsInputFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_input &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        m_focused = event->type() == QEvent::FocusIn;
        update();
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsInputFrame::paintEvent(QPaintEvent *)
{
    const ColorScheme scheme = SettingsLook::scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75);
    painter.setBrush(BrivelloTheme::inputFill(scheme, m_focused));
    const qreal opacity = m_focused ? (light ? 0.38 : 0.48) : 0.16;
    painter.setPen(QPen(light ? blackA(opacity) : whiteA(opacity), m_focused ? 1.5 : 1));
    painter.drawRoundedRect(shape, 8, 8);
}

} // namespace brivello
