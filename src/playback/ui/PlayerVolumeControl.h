#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

namespace brivello {

class ScrollVolumeSlider;

// The volume slider with its percent bubble ("Mute" or "N%"). The bubble floats above the
// control in the window's top widget, so no panel clips it. Main thread.
class PlayerVolumeControl : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kBubbleWidth = 52;

    explicit PlayerVolumeControl(QWidget *parent = nullptr);
    ~PlayerVolumeControl() override;

    ScrollVolumeSlider *slider() const { return m_slider; }
    QWidget *bubble() const { return m_bubble; }
    // How far the bubble has come in: 0 hidden, 1 fully shown.
    double bubblePresence() const;
    void setChangeAction(std::function<void(double)> action);
    // The bound value and the percent to show (none hides the bubble).
    void setValue(double value);
    void setPercent(std::optional<int> percent);

    static QString bubbleText(int percent);
    static QString bubbleAccessibleText(int percent);
    // The bubble's centre across the control, in its coordinates.
    static double bubbleCentreX(double width, double value, double bubbleWidth);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    // The bubble follows when any container of the control moves or resizes.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeBubble();
    void watchAncestors();

    ScrollVolumeSlider *m_slider = nullptr;
    QPointer<QWidget> m_bubble;
    std::optional<int> m_percent;
    QList<QPointer<QWidget>> m_watched;
};

} // namespace brivello
