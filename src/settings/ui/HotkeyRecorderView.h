#pragma once

#include <QWidget>
#include <functional>

class QKeyEvent;

namespace brivello {

// Records one key combination as hotkey text: a click starts recording, every key press
// replaces the value through `onCapture`, Escape or a click elsewhere stops. While it has the
// focus it keeps every key (Tab, Return and Escape included), and the window's hotkeys leave
// it alone (property "brivelloCapturesKeys"). Main thread.
class HotkeyRecorderView : public QWidget
{
    Q_OBJECT
public:
    explicit HotkeyRecorderView(QWidget *parent = nullptr);

    QString value() const { return m_value; }
    void setValue(const QString &value);
    bool isRecording() const { return hasFocus(); }

    // Called with each recorded combination; the owner stores it and sets the value back.
    std::function<void(const QString &)> onCapture;

    // The stored text of a key press: modifier glyphs in the order ⌃ (Meta) ⌥ (Alt) ⇧ (Shift)
    // ⌘ (Ctrl), then the key's name. Empty for a lone modifier and for keys with no name.
    static QString shortcut(const QKeyEvent &event);

    QSize sizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_value;
};

} // namespace brivello
