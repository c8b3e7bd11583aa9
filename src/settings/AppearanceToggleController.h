#pragma once

#include "platform/Scheduler.h"

#include <QObject>

namespace brivello {

// The light/dark switch's logic: the knob follows a click at once, the setting
// "appAppearance" is written 45 ms after the last click (at once with reduced motion), and
// outside changes of the setting move the knob. Main thread; owned by the switch widget.
class AppearanceToggleController : public QObject
{
    Q_OBJECT
public:
    static constexpr double kWriteDelay = 0.045;

    // The delayed write waits on `scheduler`.
    explicit AppearanceToggleController(Scheduler &scheduler, QObject *parent = nullptr);
    ~AppearanceToggleController() override;

    bool displayedDarkAppearance() const { return m_displayedDark; }
    void setReduceMotion(bool value) { m_reduceMotion = value; }

    void toggleAppearance();
    // The switch appeared: align the knob with the setting without animating.
    void syncWithSetting();
    // The switch went away: a pending write is dropped.
    void cancelPendingWrite();

signals:
    // `animated` is false when the knob should jump.
    void displayedDarkAppearanceChanged(bool animated);

private:
    void settingChanged();
    static bool settingIsDark();

    bool m_displayedDark = true;
    bool m_reduceMotion = false;
    Scheduler &m_scheduler;
    ScheduledWork m_pendingWrite;
};

} // namespace brivello
