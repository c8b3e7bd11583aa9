#pragma once

#include <QWidget>

namespace brivello {

// The rounded look of the sheet's text inputs: its fill and outline follow whether the
// input inside holds the keyboard focus. Main thread.
class SettingsInputFrame : public QWidget
{
    Q_OBJECT
public:
    SettingsInputFrame(QWidget *input, int paddingX, int paddingY, QWidget *parent = nullptr);

    QWidget *input() const { return m_input; }
    bool isFocused() const { return m_focused; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *m_input;
    bool m_focused = false;
};

} // namespace brivello
