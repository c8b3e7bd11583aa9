#pragma once

#include <QList>
#include <QSet>
#include <QUuid>
#include <optional>

namespace brivello {

// One first-in-first-out queue of the store's background analysis: the ids waiting and the
// one in flight. `queued()` is always exactly pending ∪ in flight. Main thread; owned by the
// store, driven by the analysis scheduler.
class AnalysisQueue
{
public:
    const QList<QUuid> &pending() const { return m_pending; }
    const QSet<QUuid> &queued() const { return m_queued; }
    std::optional<QUuid> inFlight() const { return m_inFlight; }
    bool contains(const QUuid &id) const { return m_queued.contains(id); }
    bool hasPending() const { return !m_pending.isEmpty(); }

    // Appends the ids not queued yet, in the given order.
    void append(const QList<QUuid> &ids);
    // Moves the first pending id into flight; nothing when none waits or one is in flight.
    std::optional<QUuid> beginNext();
    // The flight ends: the id leaves the queue, goes back to the front, or to the end.
    void finish();
    void requeueFront();
    void requeueBack();
    // Drops the ids wherever they are; a dropped flight is no longer this queue's.
    void remove(const QSet<QUuid> &ids);

private:
    QList<QUuid> m_pending;
    QSet<QUuid> m_queued;
    std::optional<QUuid> m_inFlight;
};

} // namespace brivello
