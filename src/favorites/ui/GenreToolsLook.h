#pragma once

#include "shell/BrivelloTheme.h"

class QLabel;
class QMenu;
class QScrollArea;
class QWidget;

namespace brivello {

// Small shared pieces of the genre tools' look: secondary captions and the bar-less sideways
// scroll area of chip rows. Main thread.
class GenreToolsLook
{
public:
    static QLabel *secondaryLabel(TextStyle style, QWidget *parent);
    // Re-applies the secondary colour of the current appearance.
    static void setSecondary(QLabel *label);
    // Scroll areas draw nothing of their own over the glass.
    static void clearBackground(QWidget *widget);
    // A chip row that no longer fits scrolls sideways under the mouse wheel.
    static QScrollArea *sideways(QWidget *content, int height, QWidget *parent);
    // A menu whose disabled items are dimmed without the style's etched highlight, which in
    // the dark look made them brighter than the enabled ones.
    static QMenu *menu(QWidget *parent);
    // A text shown as written in a menu: "&" is not a shortcut mark.
    static QString menuText(QString text);
};

} // namespace brivello
