#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace brivello {

// Small vector drawings for the symbols Breeze has no good match for (sun, moon, filled
// heart, ...); any other unknown name gets a neutral dot-in-ring mark.
class SymbolPainter
{
public:
    static bool hasDrawing(const QString &symbol);
    static void
    draw(QPainter &painter, const QRectF &box, const QString &symbol, const QColor &color);
};

} // namespace brivello
