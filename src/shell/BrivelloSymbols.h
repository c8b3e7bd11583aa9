#pragma once

#include "BrivelloTheme.h"

#include <QHash>
#include <QPixmap>
#include <QString>

class QPainter;

namespace brivello {

// Draws the interface's symbols: one table from the symbol names the views use to Breeze
// icons ("breeze" for light, "breeze-dark" for dark), tinted to one colour (monochrome
// rendering). A name without a Breeze match is drawn by SymbolPainter. Main thread only.
class BrivelloSymbols
{
public:
    // The Breeze icon name for a symbol; empty when the symbol is drawn in code.
    static QString breezeName(const QString &symbol);
    // The SVG file of a symbol in the scheme's Breeze theme; empty when there is none.
    static QString breezeFile(const QString &symbol, ColorScheme scheme);

    static QPixmap pixmap(const QString &symbol,
                          qreal pixelSize,
                          const QColor &color,
                          ColorScheme scheme,
                          qreal devicePixelRatio = 1.0);
    // Draws the symbol at `pixelSize`, centred in `frame`.
    static void paint(QPainter &painter,
                      const QRectF &frame,
                      const QString &symbol,
                      qreal pixelSize,
                      const QColor &color,
                      ColorScheme scheme);
    // The shared symbol style: the scale's size centred in the scale's square frame.
    static void paint(QPainter &painter,
                      const QPointF &topLeft,
                      const QString &symbol,
                      BrivelloIconScale scale,
                      const QColor &color,
                      ColorScheme scheme);

    static const QHash<QString, QString> &table();
};

} // namespace brivello
