#include "GlassPanel.h"

#include "BrivelloTheme.h"
#include "ShellEvents.h"

#include <QPainter>

namespace brivello {

GlassPanel::GlassPanel(qreal radius, QWidget *parent)
    : QWidget(parent)
    , m_radius(radius)
{
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            qOverload<>(&QWidget::update));
}

void GlassPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    BrivelloTheme::paintGlass(painter, rect(), m_radius, ShellEvents::instance().scheme());
}

} // namespace brivello
