#include "AnalysisQueue.h"

namespace brivello {

void AnalysisQueue::append(const QList<QUuid> &ids)
{
    for (const QUuid &id : ids) {
        if (m_queued.contains(id))
            continue;
        m_pending.append(id);
        m_queued.insert(id);
    }
}

std::optional<QUuid> AnalysisQueue::beginNext()
{
    if (m_inFlight || m_pending.isEmpty())
        return std::nullopt;
    m_inFlight = m_pending.takeFirst();
    return m_inFlight;
}

void AnalysisQueue::finish()
{
    if (m_inFlight)
        m_queued.remove(*m_inFlight);
    m_inFlight.reset();
}

void AnalysisQueue::requeueFront()
{
    if (m_inFlight)
        m_pending.prepend(*m_inFlight);
    m_inFlight.reset();
}

void AnalysisQueue::requeueBack()
{
    if (m_inFlight)
        m_pending.append(*m_inFlight);
    m_inFlight.reset();
}

void AnalysisQueue::remove(const QSet<QUuid> &ids)
{
    m_pending.removeIf([&ids](const QUuid &id) { return ids.contains(id); });
    m_queued.subtract(ids);
    if (m_inFlight && ids.contains(*m_inFlight))
        m_inFlight.reset();
}

} // namespace brivello
