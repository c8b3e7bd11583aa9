#include "GlassPanel.h"

#include "BrivelloTheme.h"
#include "PixmapStrips.h"
#include "ShellEvents.h"

#include <QPaintEvent>
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

void GlassPanel::paintEvent(QPaintEvent *event)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    m_glass.paint(*this, event->region(), scheme, [&](QPainter &glass) {
        BrivelloTheme::paintGlass(glass, rect(), m_radius, scheme);
    });
}

} // namespace brivello
