#include "RemovalHistory.h"

#include <algorithm>

namespace brivello {

void RemovalHistory::append(const Batch &batch)
{
    if (!batch.isEmpty())
        m_batches.append(batch);
}

std::optional<RemovalHistory::Batch> RemovalHistory::takeLast()
{
    if (m_batches.isEmpty())
        return std::nullopt;
    return m_batches.takeLast();
}

bool RemovalHistory::canUndoPhysicalTrash() const
{
    if (m_batches.isEmpty())
        return false;
    const Batch &latest = m_batches.last();
    return std::any_of(latest.begin(), latest.end(), [](const RemovedTrack &entry) {
        return entry.trashedURL.has_value();
    });
}

RemovalHistory::Batch RemovalHistory::restoreOrder(Batch batch)
{
    std::stable_sort(batch.begin(), batch.end(), [](const RemovedTrack &a, const RemovedTrack &b) {
        return a.originalIndex < b.originalIndex;
    });
    return batch;
}

qsizetype RemovalHistory::insertionIndex(qsizetype originalIndex, qsizetype count)
{
    return std::clamp<qsizetype>(originalIndex, 0, count);
}

} // namespace brivello
