#pragma once

#include "shell/BrivelloTheme.h"

class QLabel;
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
    static QScrollArea *sideways(QWidget *content, int height, QWidget *parent);
};

} // namespace brivello
