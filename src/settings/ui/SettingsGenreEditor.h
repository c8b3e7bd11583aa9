#pragma once

#include "shell/BrivelloTheme.h"

#include <QPlainTextEdit>

namespace brivello {

// The sheet's multi-line genre list editor. Its caret and selection take the appearance's
// tint, black in the light look and white in the dark one, and follow a switch of appearance.
// Qt draws the caret by inverting what lies beneath, so the editor draws its own. Main thread.
class SettingsGenreEditor : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit SettingsGenreEditor(QWidget *parent = nullptr);

    static QColor tint(ColorScheme scheme);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void applyTint();

    static constexpr int kCaretWidth = 1;
};

} // namespace brivello
