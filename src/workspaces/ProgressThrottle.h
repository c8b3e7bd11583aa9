#pragma once

#include "platform/Scheduler.h"

#include <functional>

namespace brivello {

// Lets a progress display change at most once per interval: a change inside the interval is
// held and published when it ends, so the last state always shows. Main thread; time comes
// from the scheduler it is given.
class ProgressThrottle
{
public:
    static constexpr double kInterval = 0.05; // 20 updates a second

    ProgressThrottle(Scheduler &scheduler, std::function<void()> publish);
    ~ProgressThrottle() { m_held.cancel(); }
    ProgressThrottle(const ProgressThrottle &) = delete;
    ProgressThrottle &operator=(const ProgressThrottle &) = delete;

    // Something new to show: published now, or when the interval since the last one ends.
    void changed();
    // Publishes at once (a phase boundary) and starts a new interval.
    void publishNow();
    // Drops a held change.
    void cancel() { m_held.cancel(); }

private:
    Scheduler &m_scheduler;
    std::function<void()> m_publish;
    double m_last = -1e9;
    ScheduledWork m_held;
};

} // namespace brivello
