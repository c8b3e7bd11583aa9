#include "ProgressThrottle.h"

namespace brivello {

ProgressThrottle::ProgressThrottle(Scheduler &scheduler, std::function<void()> publish)
    : m_scheduler(scheduler)
    , m_publish(std::move(publish))
{}

void ProgressThrottle::changed()
{
    if (m_held.isPending())
        return;
    const double wait = m_last + kInterval - m_scheduler.now();
    if (wait <= 0) {
        publishNow();
        return;
    }
    m_held = m_scheduler.after(wait, [this] { publishNow(); });
}

void ProgressThrottle::publishNow()
{
    m_held.cancel();
    m_last = m_scheduler.now();
    m_publish();
}

} // namespace brivello
