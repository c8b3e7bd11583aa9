#pragma once

#include <QAbstractButton>

class QVariantAnimation;

namespace brivello {

class AppearanceToggleController;
class Scheduler;

// The light/dark switch: a capsule with sun and moon and a knob that moves at once; the
// setting follows 45 ms after the last click, on `scheduler`'s clock.
class SidebarAppearanceToggle : public QAbstractButton
{
    Q_OBJECT
public:
    explicit SidebarAppearanceToggle(Scheduler &scheduler, QWidget *parent = nullptr);

    AppearanceToggleController *controller() const { return m_controller; }
    QSize sizeHint() const override { return {80, 38}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void knobChanged(bool animated);
    void retranslate();

    AppearanceToggleController *m_controller = nullptr;
    QVariantAnimation *m_animation = nullptr;
    qreal m_knob = 1; // 1 = right (dark), 0 = left (light)
};

} // namespace brivello
