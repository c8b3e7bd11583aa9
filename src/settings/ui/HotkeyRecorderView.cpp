#include "HotkeyRecorderView.h"

#include "SettingsLook.h"
#include "platform/BrivelloLocalization.h"
#include "settings/HotkeyMatcher.h"
#include "settings/KeyStroke.h"
#include "shell/ShellEvents.h"

#include <QKeyEvent>
#include <QPainter>

namespace brivello {

namespace {

const QString kPlaceholder = QStringLiteral("Нажмите клавишу");

bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_unknown:
        return true;
    default:
        return false;
    }
}

QString keyName(const KeyStroke &stroke)
{
    switch (stroke.keyCode) {
    case 36:
        return QStringLiteral("Return");
    case 48:
        return QStringLiteral("Tab");
    case 49:
        return QStringLiteral("Space");
    case 51:
        return QStringLiteral("Delete");
    case 117:
        return QStringLiteral("ForwardDelete");
    case 123:
        return QStringLiteral("←");
    case 124:
        return QStringLiteral("→");
    case 125:
        return QStringLiteral("↓");
    case 126:
        return QStringLiteral("↑");
    default:
        break;
    }
    QString characters = stroke.charactersIgnoringModifiers.toUpper();
    // A Russian layout types the letter of its own key; the Latin letter of that key keeps the
    // hotkey working in both layouts.
    if (characters.size() == 1 && characters[0].script() == QChar::Script_Cyrillic) {
        const QChar latin = KeyStroke::usKeyForCyrillic(characters[0]);
        if (!latin.isNull())
            characters = QString(latin);
    }
    if (!characters.isEmpty())
        return characters;
    if (stroke.keyCode == KeyStroke::kNoKeyCode)
        return {};
    return QStringLiteral("KeyCode:") + QString::number(stroke.keyCode);
}

} // namespace

HotkeyRecorderView::HotkeyRecorderView(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::ClickFocus);
    setProperty("brivelloCapturesKeys", true);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            qOverload<>(&QWidget::update));
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            qOverload<>(&QWidget::update));
}

void HotkeyRecorderView::setValue(const QString &value)
{
    if (value == m_value)
        return;
    m_value = value;
    update();
}

QString HotkeyRecorderView::shortcut(const QKeyEvent &event)
{
    if (isModifierKey(event.key()))
        return {};
    const KeyStroke stroke = KeyStroke::fromEvent(event);
    const QString name = keyName(stroke);
    if (name.isEmpty())
        return {};
    QString text;
    if (stroke.control)
        text += QStringLiteral("⌃");
    if (stroke.option)
        text += QStringLiteral("⌥");
    if (stroke.shift)
        text += QStringLiteral("⇧");
    if (stroke.command)
        text += QStringLiteral("⌘");
    return text + name;
}

QSize HotkeyRecorderView::sizeHint() const
{
    return {112, 26};
}

bool HotkeyRecorderView::event(QEvent *event)
{
    // Tab and Backtab would move the focus and a shortcut could fire before keyPressEvent.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent *>(event));
        return true;
    }
    return QWidget::event(event);
}

void HotkeyRecorderView::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    if (event->key() == Qt::Key_Escape) {
        clearFocus();
        return;
    }
    const QString text = shortcut(*event);
    if (!text.isEmpty() && onCapture)
        onCapture(text);
}

void HotkeyRecorderView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void HotkeyRecorderView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void HotkeyRecorderView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void HotkeyRecorderView::paintEvent(QPaintEvent *)
{
    const ColorScheme scheme = SettingsLook::scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (hasFocus()) {
        QColor accent = palette().color(QPalette::Highlight);
        painter.setPen(QPen(accent, 1.5));
        accent.setAlphaF(0.18);
        painter.setBrush(accent);
    } else {
        painter.setBrush(light ? whiteA(0.72) : whiteA(0.055));
        painter.setPen(QPen(light ? blackA(0.16) : whiteA(0.16), 1));
    }
    painter.drawRoundedRect(shape, 6, 6);

    // Stored glyph texts are shown as a Linux keyboard names them ("Ctrl+Z").
    const bool empty = m_value.isEmpty();
    painter.setFont(BrivelloTheme::systemFont(12, QFont::Medium));
    painter.setPen(empty ? BrivelloTheme::secondary(scheme) : BrivelloTheme::primary(scheme));
    painter.drawText(rect(),
                     Qt::AlignCenter,
                     empty ? BrivelloLocalization::string(kPlaceholder)
                           : HotkeyMatcher::displayText(m_value));
}

} // namespace brivello
