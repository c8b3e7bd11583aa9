#pragma once

#include <QColor>
#include <QWidget>

namespace brivello {

class MotionValue;

// The rounded look of the sheet's text inputs: its fill, outline and line width ease between
// the resting and the focused look as the input inside gains or loses the keyboard focus.
// Main thread.
class SettingsInputFrame : public QWidget
{
    Q_OBJECT
public:
    SettingsInputFrame(QWidget *input, int paddingX, int paddingY, QWidget *parent = nullptr);

    QWidget *input() const { return m_input; }
    bool isFocused() const { return m_focused; }
    MotionValue *focusMotion() const { return m_focusMotion; }

    // The look as drawn now, part of the way through a change of focus.
    QColor fillColor() const;
    QColor outlineColor() const;
    qreal outlineWidth() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *m_input;
    MotionValue *m_focusMotion;
    bool m_focused = false;
};

} // namespace brivello
