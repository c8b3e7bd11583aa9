#include "DuplicateWorkspace.h"

#include "DuplicateSearch.h"
#include "library/LibraryStore.h"
#include "library/LocalFile.h"
#include "platform/AppLanguage.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Trash.h"

namespace brivello {

DuplicateWorkspace::DuplicateWorkspace(LibraryStore &store, DuplicateSearch &search)
    : QObject(&store)
    , m_store(store)
    , m_search(search)
{}

QString DuplicateWorkspace::duplicateSearchScopeTitle() const
{
    const QList<QUrl> &roots = m_store.duplicateSearchRoots();
    if (roots.isEmpty())
        return BrivelloLocalization::string(QStringLiteral("Источник не выбран"));
    if (roots.size() == 1)
        return QString::fromUtf8(LocalFile::nativePath(roots.first()));
    const bool english = AppLanguage::current() == AppLanguage::english;
    return QString::number(roots.size()) +
           (english ? QStringLiteral(" sources") : QStringLiteral(" источника"));
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
            Trash::shared().trashItem(QString::fromUtf8(LocalFile::nativePath(track.url)));
        if (outcome.error) {
            m_store.setLastError(outcome.error->description);
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
    m_store.pruneDuplicateGroups(moved);
    QSet<QUuid> selection = m_store.duplicateSelectedTrackIDs();
    selection.subtract(moved);
    m_store.setDuplicateSelectedTrackIDs(selection);
    const std::optional<QUuid> focus = m_store.duplicateFocusedTrackID();
    if (focus && moved.contains(*focus)) {
        m_store.setDuplicateFocusedTrackID(
            selection.isEmpty() ? std::nullopt : std::optional(*selection.cbegin()));
    }
    m_store.continuePlaybackAfterRemoving(moved, before);
}

void DuplicateWorkspace::clearDuplicateWorkspace()
{
    m_search.invalidate();
    m_store.setDuplicateSearchRoots({});
    m_store.setDuplicateGroups({});
    m_store.setDuplicateTracks({});
    m_store.setDuplicateSelectedTrackIDs({});
    m_store.setDuplicateFocusedTrackID(std::nullopt);
    m_store.setDuplicateScanPhase(LibraryStore::DuplicateSearchPhase::idle);
    m_store.setDuplicateScanCurrentFile({});
    m_store.setDuplicateScanProgress(0);
    m_store.setDuplicateScanCandidateCount(0);
    m_store.setDuplicateScanProcessedCount(0);
    m_store.setDuplicateScanTotalCount(0);
}

} // namespace brivello
