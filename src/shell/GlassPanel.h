#pragma once

#include "BrivelloTheme.h"
#include "PixmapStrips.h"

#include <QWidget>

namespace brivello {

// A glass panel: a translucent rounded fill with a gradient edge, redrawn per scheme.
class GlassPanel : public QWidget
{
    Q_OBJECT
public:
    explicit GlassPanel(qreal radius, QWidget *parent = nullptr);
    qreal radius() const { return m_radius; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_radius;
    SchemeDrawing m_glass;
};

} // namespace brivello
