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
    // Drawn once per size and scheme; a frame copies the part it repaints.
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const qreal ratio = devicePixelRatioF();
    if (!PixmapStrips::fits(m_glass, size(), ratio) || m_glassScheme != scheme) {
        m_glass = QPixmap(size() * ratio);
        m_glass.setDevicePixelRatio(ratio);
        m_glass.fill(Qt::transparent);
        m_glassScheme = scheme;
        QPainter glass(&m_glass);
        BrivelloTheme::paintGlass(glass, rect(), m_radius, scheme);
    }
    QPainter painter(this);
    PixmapStrips::draw(painter, event->region(), m_glass);
}

} // namespace brivello
