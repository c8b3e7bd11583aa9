#pragma once

#include "platform/Scheduler.h"

#include <QObject>

namespace brivello {

// One control's hover hint: idle, pending (3 s after the pointer came to rest on it) or open.
// Every hint shares the setting "contextualHintsEnabled". Main thread; owned by the control.
class ContextualHintState : public QObject
{
    Q_OBJECT
public:
    static constexpr double kPresentationDelay = 3.0;
    static const QString kEnabledKey;

    // The 3 s wait runs on `scheduler`.
    explicit ContextualHintState(Scheduler &scheduler, QObject *parent = nullptr);
    ~ContextualHintState() override;

    static bool hintsEnabled();
    static void setHintsEnabled(bool enabled);

    bool isHovering() const { return m_isHovering; }
    bool isPresented() const { return m_isPresented; }
    bool isPending() const { return m_presentation.isPending(); }

    void hoverChanged(bool hovering);
    void controlDisappeared();
    // The platform closed the hint (a click elsewhere).
    void dismiss();
    // The hint's own button: switches every hint off.
    void disableHints();

signals:
    void presentedChanged(bool presented);

private:
    void setPresented(bool presented);
    void enabledChanged();

    bool m_isHovering = false;
    bool m_isPresented = false;
    Scheduler &m_scheduler;
    ScheduledWork m_presentation;
};

} // namespace brivello
