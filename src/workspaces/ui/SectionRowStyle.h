#pragma once

#include "shell/BrivelloTheme.h"
#include "workspaces/SectionListRules.h"

#include <QList>
#include <QUrl>
#include <functional>

class QLabel;
class QPainter;
class QObject;

namespace brivello {

class AudioPlayer;

// The looks and small habits the covers, converter and duplicates rows share: the selected
// fill, density-scaled fonts, one import per dropped item. Main thread.
class SectionRowStyle
{
public:
    static SectionListRules::Modifiers modifiers(Qt::KeyboardModifiers flags);
    // The application's current modifiers: the overlay's select action has no event.
    static SectionListRules::Modifiers currentModifiers();
    static QColor selectedFill(ColorScheme scheme);
    static void paintRowBackground(
        QPainter &painter, const QRect &rect, bool selected, bool hovered, ColorScheme scheme);
    static QFont font(qreal pixelSize, QFont::Weight weight = QFont::Normal);
    // `font` when its ten digits are all one width, else a fixed-pitch font of its size and
    // weight: counters and percentages then do not jitter as they change.
    static QFont monospacedDigits(const QFont &font);
    static bool hasMonospacedDigits(const QFont &font);
    static QColor secondary(ColorScheme scheme);
    static QColor tertiary(ColorScheme scheme);
    static QColor green();
    static QColor red();
    // Draws one line of text elided to `rect`, vertically centred.
    static void drawLine(QPainter &painter,
                         const QRect &rect,
                         const QString &text,
                         const QFont &font,
                         const QColor &color,
                         Qt::Alignment alignment = Qt::AlignLeft,
                         Qt::TextElideMode elide = Qt::ElideRight);
    static void styleSecondary(QLabel *label, TextStyle style, ColorScheme scheme);
    // Calls `refresh` whenever the player, the appearance or the language changes.
    static void refreshOnPlayerAndLook(QObject *view,
                                       AudioPlayer &player,
                                       const std::function<void()> &refresh);
    // One import for the whole drop's local files, so its status counts the whole drop.
    static void importDropped(const QList<QUrl> &urls,
                              const std::function<void(const QList<QUrl> &)> &import);
    // The play or pause mark over a thumbnail of the current row.
    static void paintPlayingOverlay(
        QPainter &painter, const QRectF &square, qreal radius, bool playing, qreal symbolSize);
};

} // namespace brivello
