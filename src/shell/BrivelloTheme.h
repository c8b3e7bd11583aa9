#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPalette>
#include <QRectF>
#include <QString>

class QPainter;

namespace brivello {

enum class ColorScheme { light, dark };

// Icon sizes of the shared symbol style.
enum class BrivelloIconScale { compact, regular, section, emptyState };

// Text styles named after the system text styles the layout was measured with.
enum class TextStyle { title2, title3, headline, body, callout, subheadline, caption, caption2 };

// The shared look: one colour table per scheme, the motion durations, fonts, the glass panel
// and the window canvas. Stateless; main thread (painting) only.
class BrivelloTheme
{
public:
    static constexpr int kMotionPressMs = 100;
    static constexpr int kMotionFeedbackMs = 130;
    static constexpr int kMotionStateMs = 180;
    static constexpr int kMotionOverlayMs = 200;
    static constexpr int kMotionScrollMs = 210;

    // "appAppearance": exactly "light" is light, anything else dark.
    static ColorScheme schemeFor(const QString &appearance);
    static ColorScheme currentScheme();
    static bool isLight(ColorScheme scheme) { return scheme == ColorScheme::light; }

    static QList<QColor> canvasGradient(ColorScheme scheme);
    static QList<QColor> glassBorderColors(ColorScheme scheme);
    static QColor glassFill(ColorScheme scheme);
    static QColor inputFill(ColorScheme scheme, bool focused);
    static QColor actionForeground(ColorScheme scheme, bool enabled);
    static QColor actionBorder(ColorScheme scheme, bool enabled, bool hovering);
    static QColor actionSurface(ColorScheme scheme, bool pressed, bool enabled, bool hovering);
    static QColor hoverFill(ColorScheme scheme);
    static QColor dropFill(ColorScheme scheme);
    static QColor dropBorder(ColorScheme scheme);

    // The platform's label colours.
    static QColor primary(ColorScheme scheme);
    static QColor secondary(ColorScheme scheme);

    static QPalette palette(ColorScheme scheme);
    static QFont font(TextStyle style, QFont::Weight weight = QFont::Normal);
    static QFont systemFont(qreal pixelSize, QFont::Weight weight);

    static qreal iconFontSize(BrivelloIconScale scale);
    static qreal iconFrame(BrivelloIconScale scale);

    static void paintCanvas(QPainter &painter, const QRectF &rect, ColorScheme scheme);
    static void paintGlass(QPainter &painter, const QRectF &rect, qreal radius, ColorScheme scheme);
    // The hover highlight of rows and small controls; nothing unless `active`.
    static void
    paintInteractiveHover(QPainter &painter, const QRectF &rect, ColorScheme scheme, bool active);
};

QColor whiteA(qreal opacity);
QColor blackA(qreal opacity);
QColor rgbA(qreal red, qreal green, qreal blue, qreal opacity = 1.0);

} // namespace brivello
