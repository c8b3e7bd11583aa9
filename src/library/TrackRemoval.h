#pragma once

#include "library/RemovalHistory.h"
#include "records/Track.h"

#include <QList>
#include <QSet>
#include <QUrl>
#include <QUuid>

namespace brivello {

class LibraryStore;

// Removals from the sections and moves to the Trash, with the store's removal history:
// undoLastRemoval() unwinds one batch, bringing files back from the Trash. Part of
// LibraryStore; main thread.
class TrackRemoval
{
public:
    explicit TrackRemoval(LibraryStore &store);

    void removeTracksFromPlaylist(const QSet<QUuid> &ids);
    void trashTracks(const QSet<QUuid> &ids);
    void removeFromAnalysis(const QSet<QUuid> &ids);
    void removeFromCoverWorkspace(const QSet<QUuid> &ids);
    void undoLastRemoval();
    bool canUndoPhysicalTrash() const;
    const RemovalHistory &history() const { return m_removalHistory; }

    // Drops the ids, and the duplicate workspace's tracks of the given files, from the groups.
    void pruneDuplicateGroups(const QSet<QUuid> &removing, const QSet<QUrl> &removedFiles = {});
    // Plays on past a removed current track of `seen` (the list before the removal).
    void continuePlaybackAfterRemoving(const QSet<QUuid> &removed, const QList<Track> &seen);

private:
    QUuid reinsertRemovedTrack(QList<Track> &tracks, const RemovedTrack &entry);

    LibraryStore &m_store;
    // Unbounded, not persisted.
    RemovalHistory m_removalHistory;
};

} // namespace brivello
