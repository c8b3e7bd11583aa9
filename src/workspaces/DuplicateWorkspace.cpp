#include "DuplicateWorkspace.h"

#include "DuplicateGroupRows.h"
#include "DuplicateSearch.h"
#include "library/LibraryStore.h"
#include "library/TrackRemoval.h"
#include "platform/AppLanguage.h"
#include "platform/BrivelloLocalization.h"
#include "platform/LocalFile.h"
#include "platform/Trash.h"
#include "workspaces/DuplicateSearchFields.h"

namespace brivello {

DuplicateWorkspace::DuplicateWorkspace(LibraryStore &store, DuplicateSearch &search)
    : QObject(&store)
    , m_store(store)
    , m_search(search)
{}

DuplicateWorkspace &DuplicateWorkspace::of(LibraryStore &store)
{
    if (auto *workspace = store.findChild<DuplicateWorkspace *>())
        return *workspace;
    auto *search = store.findChild<DuplicateSearch *>();
    if (!search)
        search = new DuplicateSearch(store);
    return *new DuplicateWorkspace(store, *search);
}

QString DuplicateWorkspace::duplicateSearchScopeTitle() const
{
    return DuplicateGroupRows::scopeTitle(duplicateSearchRoots(m_store), AppLanguage::current());
}

QList<Track> DuplicateWorkspace::tracks(const AudioDuplicateGroup &group) const
{
    QHash<QUuid, const Track *> byID;
    for (const Track &track : m_store.duplicateTracks()) {
        if (!byID.contains(track.id))
            byID.insert(track.id, &track);
    }
    QList<Track> found;
    for (const QUuid &id : group.trackIDs) {
        if (const Track *track = byID.value(id))
            found.append(*track);
    }
    return found;
}

void DuplicateWorkspace::trashDuplicateTracks(const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    const QList<Track> before = m_store.duplicateTracks();
    QSet<QUuid> moved;
    for (const Track &track : before) {
        if (!ids.contains(track.id) || moved.contains(track.id))
            continue;
        const TrashOutcome outcome =
            m_store.services().trashService().trashItem(LocalFile::path(track.url));
        if (outcome.error) {
            m_store.setLastError(outcome.error->description, LibraryStore::ErrorTopic::trash);
            continue;
        }
        moved.insert(track.id);
    }
    if (moved.isEmpty())
        return;
    QList<Track> kept;
    for (const Track &track : before) {
        if (!moved.contains(track.id))
            kept.append(track);
    }
    m_store.setDuplicateTracks(std::move(kept));
    m_store.removal().pruneDuplicateGroups(moved);
    QSet<QUuid> selection = duplicateSelectedTrackIDs(m_store);
    selection.subtract(moved);
    setDuplicateSelectedTrackIDs(m_store, selection);
    const std::optional<QUuid> focus = duplicateFocusedTrackID(m_store);
    if (focus && moved.contains(*focus)) {
        setDuplicateFocusedTrackID(
            m_store, selection.isEmpty() ? std::nullopt : std::optional(*selection.cbegin()));
    }
    m_store.removal().continuePlaybackAfterRemoving(moved, before);
}

void DuplicateWorkspace::trashMarkedTracks(const std::optional<QString> &groupID)
{
    QList<AudioDuplicateGroup> cards = duplicateGroups(m_store);
    if (groupID)
        cards.removeIf(
            [&groupID](const AudioDuplicateGroup &group) { return group.id != *groupID; });
    const QSet<QUuid> &selected = duplicateSelectedTrackIDs(m_store);
    QSet<QUuid> marked;
    for (const Track &track :
         DuplicateGroupRows::navigableTracks(cards, m_store.duplicateTracks())) {
        if (selected.contains(track.id))
            marked.insert(track.id);
    }
    if (marked.isEmpty())
        return;
    trashDuplicateTracks(marked);
    QSet<QUuid> stayed;
    for (const Track &track : m_store.duplicateTracks()) {
        if (marked.contains(track.id))
            stayed.insert(track.id);
    }
    if (!stayed.isEmpty())
        setDuplicateSelectedTrackIDs(m_store, duplicateSelectedTrackIDs(m_store) - stayed);
}

void DuplicateWorkspace::clearDuplicateWorkspace()
{
    m_search.invalidate();
    setDuplicateSearchRoots(m_store, {});
    setDuplicateGroups(m_store, {});
    m_store.setDuplicateTracks({});
    setDuplicateSelectedTrackIDs(m_store, {});
    setDuplicateFocusedTrackID(m_store, std::nullopt);
    setDuplicateScanPhase(m_store, DuplicateSearchState::Phase::idle);
    setDuplicateScanCurrentFile(m_store, {});
    setDuplicateScanProgress(m_store, 0);
    setDuplicateScanCandidateCount(m_store, 0);
    setDuplicateScanProcessedCount(m_store, 0);
    setDuplicateScanTotalCount(m_store, 0);
    editDuplicateSearch(m_store, [](DuplicateSearchState &state) { state.hasSearched = false; });
}

} // namespace brivello
