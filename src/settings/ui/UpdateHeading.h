#pragma once

#include "shell/BrivelloTheme.h"

#include <QFont>

class QBoxLayout;
class QLabel;
class QWidget;

namespace brivello {

// The download symbol beside a title over a second line: the head of the update sheet and of
// the update banner. The labels belong to the parent widget; main thread.
struct UpdateHeading
{
    struct Look
    {
        int iconSize = 20;
        // The symbol's square with room for its antialiased edge.
        int iconFrame = 22;
        TextStyle title = TextStyle::body;
        QFont::Weight titleWeight = QFont::Normal;
        TextStyle line = TextStyle::body;
        int lineSpacing = 2;
    };

    // Adds the symbol and the two lines to `row`; the lines take the row's spare width.
    static UpdateHeading build(QBoxLayout *row, QWidget *parent, const Look &look);
    // Tints the symbol and colours the title for `scheme`.
    void applyLook(ColorScheme scheme) const;

    QLabel *icon = nullptr;
    QLabel *title = nullptr;
    QLabel *line = nullptr;
    int iconSize = 0;
};

} // namespace brivello
