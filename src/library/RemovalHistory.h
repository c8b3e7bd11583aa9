#pragma once

#include "records/Track.h"

#include <QList>
#include <QUrl>
#include <optional>

namespace brivello {

// One track taken out of the library by a removal or a move to the Trash.
struct RemovedTrack
{
    Track track;                 // as it was, flags included
    qsizetype originalIndex = 0; // position in the library before the batch was removed
    std::optional<QUrl> trashedURL;
    bool removedFromPlaylistOnly = false;
};

// The store's own multi-level removal history: batches unwound last first. Unbounded and
// never saved. Main thread; owned by the store.
class RemovalHistory
{
public:
    using Batch = QList<RemovedTrack>;

    // Empty batches are not recorded.
    void append(const Batch &batch);
    std::optional<Batch> takeLast();
    bool isEmpty() const { return m_batches.isEmpty(); }
    qsizetype batchCount() const { return m_batches.size(); }
    const Batch &last() const { return m_batches.last(); }

    // True when the latest batch holds a file that sits in the Trash.
    bool canUndoPhysicalTrash() const;

    // Ascending by original position; equal positions keep their batch order.
    static Batch restoreOrder(Batch batch);
    // The position an entry goes back to in a list of `count` tracks.
    static qsizetype insertionIndex(qsizetype originalIndex, qsizetype count);

private:
    QList<Batch> m_batches;
};

} // namespace brivello
