#include "SettingsGenreEditor.h"

#include "SettingsLook.h"
#include "shell/ShellEvents.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>

namespace brivello {

SettingsGenreEditor::SettingsGenreEditor(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setCursorWidth(0); // the caret is drawn in paintEvent, in the tint
    applyTint();
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            &SettingsGenreEditor::applyTint);
}

QColor SettingsGenreEditor::tint(ColorScheme scheme)
{
    return BrivelloTheme::isLight(scheme) ? QColor(Qt::black) : QColor(Qt::white);
}

void SettingsGenreEditor::applyTint()
{
    const ColorScheme scheme = SettingsLook::scheme();
    QPalette palette = this->palette();
    // A wash of the tint keeps the selected text in its own colour and readable.
    QColor selection = tint(scheme);
    selection.setAlphaF(0.25);
    palette.setColor(QPalette::Highlight, selection);
    palette.setColor(QPalette::HighlightedText,
                     BrivelloTheme::palette(scheme).color(QPalette::Text));
    setPalette(palette);
    viewport()->update();
}

void SettingsGenreEditor::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    // The paint context names the caret's position only while the blink shows it.
    if (getPaintContext().cursorPosition < 0 || !hasFocus() || isReadOnly())
        return;
    const QRect caret = cursorRect();
    QPainter painter(viewport());
    painter.fillRect(QRect(caret.left(), caret.top(), kCaretWidth, caret.height()),
                     tint(SettingsLook::scheme()));
}

} // namespace brivello
