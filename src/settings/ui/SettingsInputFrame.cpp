#include "SettingsInputFrame.h"

#include "SettingsLook.h"
#include "shell/MotionValue.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>

namespace brivello {

SettingsInputFrame::SettingsInputFrame(QWidget *input, int paddingX, int paddingY, QWidget *parent)
    : QWidget(parent)
    , m_input(input)
    , m_focusMotion(new MotionValue(this, BrivelloTheme::kMotionFeedbackMs))
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
        m_focusMotion->setTarget(m_focused);
    }
    return QWidget::eventFilter(watched, event);
}

QColor SettingsInputFrame::fillColor() const
{
    const ColorScheme scheme = SettingsLook::scheme();
    return m_focusMotion->blend(BrivelloTheme::inputFill(scheme, false),
                                BrivelloTheme::inputFill(scheme, true));
}

QColor SettingsInputFrame::outlineColor() const
{
    const bool light = BrivelloTheme::isLight(SettingsLook::scheme());
    const qreal focused = light ? 0.38 : 0.48;
    const qreal opacity = 0.16 + (focused - 0.16) * m_focusMotion->value();
    return light ? blackA(opacity) : whiteA(opacity);
}

qreal SettingsInputFrame::outlineWidth() const
{
    return 1 + 0.5 * m_focusMotion->value();
}

void SettingsInputFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75);
    painter.setBrush(fillColor());
    painter.setPen(QPen(outlineColor(), outlineWidth()));
    painter.drawRoundedRect(shape, 8, 8);
}

} // namespace brivello
