#pragma once

#include "shell/BrivelloTheme.h"

#include <QFont>

class QLabel;
class QPainter;
class QWidget;

namespace brivello {

// Shared pieces of the settings and update views: labels in the text styles, the card fill
// and the colours that follow the appearance. Stateless; main thread.
class SettingsLook
{
public:
    static ColorScheme scheme();
    static QLabel *label(TextStyle style, QWidget *parent, QFont::Weight weight = QFont::Normal);
    static void setTextColor(QWidget *widget, const QColor &color);
    // The download symbol's tint: white in the dark look, slate blue in the light one.
    static QColor symbolTint(ColorScheme scheme);
    // The faint card behind previews and information blocks.
    static QColor cardFill(ColorScheme scheme);
    static void paintCard(QPainter &painter, const QRectF &rect, qreal radius, ColorScheme scheme);
    static QWidget *divider(QWidget *parent);
};

} // namespace brivello
