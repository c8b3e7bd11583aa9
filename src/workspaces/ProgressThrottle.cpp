#include "ProgressThrottle.h"

namespace brivello {

ProgressThrottle::ProgressThrottle(std::function<void()> publish)
    : m_publish(std::move(publish))
{}

void ProgressThrottle::changed()
{
    if (m_held.isPending())
        return;
    const double wait = m_last + kInterval - Scheduler::shared().now();
    if (wait <= 0) {
        publishNow();
        return;
    }
    m_held = Scheduler::shared().after(wait, [this] { publishNow(); });
}

void ProgressThrottle::publishNow()
{
    m_held.cancel();
    m_last = Scheduler::shared().now();
    m_publish();
}

} // namespace brivello
