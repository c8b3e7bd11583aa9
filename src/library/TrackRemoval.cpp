#include "TrackRemoval.h"

#include "audiofiles/MetadataWriteCoordinator.h"
#include "library/AudioPlayer.h"
#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "platform/LocalFile.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/Trash.h"

#include <QDir>

namespace brivello {

namespace {

using Tone = LibraryStore::WorkspaceStatus::Tone;

QString filePath(const QUrl &url)
{
    return QDir::cleanPath(LocalFile::path(url));
}

qsizetype indexOfID(const QList<Track> &tracks, const QUuid &id)
{
    for (qsizetype i = 0; i < tracks.size(); ++i) {
        if (tracks[i].id == id)
            return i;
    }
    return -1;
}

// A track of the same file may have come back through a new import since the removal.
qsizetype indexOfFile(const QList<Track> &tracks, const QUrl &url)
{
    const QString path = filePath(url);
    for (qsizetype i = 0; i < tracks.size(); ++i) {
        if (filePath(tracks[i].url) == path)
            return i;
    }
    return -1;
}

void postMembershipChange()
{
    NotificationCenter::defaultCenter().post(brivelloFavoriteMembershipDidChange);
}

} // namespace

TrackRemoval::TrackRemoval(LibraryStore &store)
    : m_store(store)
{}

void TrackRemoval::removeTracksFromPlaylist(const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    const QList<Track> seen = m_store.sections().playlistTracks();
    RemovalHistory::Batch batch;
    for (qsizetype i = 0; i < m_store.m_tracks.size(); ++i) {
        const Track &track = m_store.m_tracks[i];
        if (ids.contains(track.id))
            batch.append({track, i, std::nullopt, track.isFavorite});
    }
    if (batch.isEmpty())
        return;
    m_removalHistory.append(batch);

    QList<Track> updated = m_store.m_tracks;
    for (qsizetype i = updated.size() - 1; i >= 0; --i) {
        if (!ids.contains(updated[i].id))
            continue;
        if (updated[i].isFavorite)
            updated[i].isInPlaylist = false;
        else
            updated.removeAt(i);
    }
    m_store.setTracks(std::move(updated));
    m_store.setSelectedIDs({});
    m_store.setSelectedID(std::nullopt);
    continuePlaybackAfterRemoving(ids, seen);
    m_store.showStatus(BrivelloLocalization::format(QStringLiteral("Убрано из плейлиста: %d"),
                                                    static_cast<int>(batch.size())),
                       QStringLiteral("trash"),
                       Tone::neutral);
}

void TrackRemoval::trashTracks(const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    const QList<Track> seen = m_store.sections().visibleTracks();
    RemovalHistory::Batch batch;
    QSet<QUuid> trashed;
    for (qsizetype i = 0; i < m_store.m_tracks.size(); ++i) {
        const Track &track = m_store.m_tracks[i];
        if (!ids.contains(track.id))
            continue;
        // A rewrite in flight would put its result back at the old place after the move.
        if (m_store.m_services.writeService().isLocked(
                MetadataWriteCoordinator::lockKey(track.url))) {
            m_store.setLastError(
                BrivelloLocalization::format(
                    QStringLiteral("Файл «%@» сейчас записывается. Повторите попытку позже."),
                    track.url.fileName()),
                LibraryStore::ErrorTopic::trash);
            continue;
        }
        const TrashOutcome outcome =
            m_store.m_services.trashService().trashItem(LocalFile::path(track.url));
        if (outcome.error) {
            m_store.setLastError(outcome.error->description, LibraryStore::ErrorTopic::trash);
            continue;
        }
        std::optional<QUrl> location;
        if (!outcome.trashedPath.isEmpty())
            location = LocalFile::fromPath(outcome.trashedPath);
        batch.append({track, i, location, false});
        trashed.insert(track.id);
    }
    if (batch.isEmpty())
        return;
    m_removalHistory.append(batch);

    QList<Track> kept;
    kept.reserve(m_store.m_tracks.size() - batch.size());
    for (const Track &track : std::as_const(m_store.m_tracks)) {
        if (!trashed.contains(track.id))
            kept.append(track);
    }
    m_store.setTracks(std::move(kept));
    QSet<QUrl> trashedFiles;
    for (const RemovedTrack &entry : std::as_const(batch))
        trashedFiles.insert(entry.track.url.adjusted(QUrl::NormalizePathSegments));
    pruneDuplicateGroups(trashed, trashedFiles);
    m_store.setSelectedIDs({});
    m_store.setSelectedID(std::nullopt);
    postMembershipChange();
    continuePlaybackAfterRemoving(trashed, seen);
}

void TrackRemoval::removeFromAnalysis(const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    const QList<Track> seen = m_store.m_analysisTracks;
    m_store.m_analysis.dropQualityWork(ids);

    QList<Track> kept;
    for (const Track &track : seen) {
        if (!ids.contains(track.id))
            kept.append(track);
    }
    m_store.setAnalysisTracks(std::move(kept));
    m_store.m_analysis.forgetQualityResults(ids);

    m_store.setSelectedIDs(m_store.m_selectedIDs - ids);
    if (m_store.m_selectedID && ids.contains(*m_store.m_selectedID)) {
        std::optional<QUuid> next;
        if (!m_store.m_selectedIDs.isEmpty())
            next = *m_store.m_selectedIDs.cbegin();
        m_store.setSelectedID(next);
    }
    continuePlaybackAfterRemoving(ids, seen);
    m_store.showStatus(BrivelloLocalization::format(QStringLiteral("Убрано из анализа: %d"),
                                                    static_cast<int>(ids.size())),
                       QStringLiteral("trash"),
                       Tone::neutral);
}

void TrackRemoval::removeFromCoverWorkspace(const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    const QList<Track> seen = m_store.sections().coverTracks();
    QSet<QUuid> removable = ids;
    int blocked = 0;
    for (const Track &track : std::as_const(m_store.m_tracks)) {
        // A favourite cannot leave the covers section on its own.
        if (ids.contains(track.id) && track.isFavorite) {
            removable.remove(track.id);
            ++blocked;
        }
    }

    QList<Track> updated = m_store.m_tracks;
    bool changed = false;
    for (qsizetype i = updated.size() - 1; i >= 0; --i) {
        if (!removable.contains(updated[i].id))
            continue;
        changed = true;
        if (updated[i].isInPlaylist || updated[i].isFavorite)
            updated[i].isInCoverWorkspace = false;
        else
            updated.removeAt(i);
    }
    if (changed)
        m_store.setTracks(std::move(updated));
    m_store.setSelectedIDs(m_store.m_selectedIDs - removable);
    if (m_store.m_selectedID && removable.contains(*m_store.m_selectedID))
        m_store.setSelectedID(std::nullopt);
    continuePlaybackAfterRemoving(removable, seen);

    if (blocked == 1) {
        m_store.setNotice(BrivelloLocalization::string(QStringLiteral(
            "Этот трек нельзя удалить из «Обложек», пока он находится в «Избранном». Сначала "
            "уберите его из «Избранного».")));
    } else if (blocked > 1) {
        m_store.setNotice(BrivelloLocalization::string(QStringLiteral(
            "Эти треки нельзя удалить из «Обложек», пока они находятся в «Избранном». Сначала "
            "уберите их из «Избранного».")));
    }
}

bool TrackRemoval::canUndoPhysicalTrash() const
{
    return m_removalHistory.canUndoPhysicalTrash();
}

void TrackRemoval::undoLastRemoval()
{
    std::optional<RemovalHistory::Batch> batch = m_removalHistory.takeLast();
    if (!batch)
        return;
    QList<Track> updated = m_store.m_tracks;
    QSet<QUuid> restored;
    RemovalHistory::Batch failed;
    for (const RemovedTrack &entry : RemovalHistory::restoreOrder(*batch)) {
        if (entry.removedFromPlaylistOnly) {
            const qsizetype at = indexOfID(updated, entry.track.id);
            if (at >= 0) {
                updated[at].isInPlaylist = true;
                restored.insert(entry.track.id);
            }
            continue;
        }
        if (entry.trashedURL) {
            const auto error = m_store.m_services.trashService().restoreItem(
                LocalFile::path(*entry.trashedURL), LocalFile::path(entry.track.url));
            if (error) {
                m_store.setLastError(
                    BrivelloLocalization::format(QStringLiteral("Не удалось восстановить «%@»: %@"),
                                                 entry.track.url.fileName(),
                                                 error->description));
                failed.append(entry);
                continue;
            }
        }
        restored.insert(reinsertRemovedTrack(updated, entry));
    }
    // Failed entries go back on top, so the next undo tries them first.
    m_removalHistory.append(failed);
    if (updated.size() != m_store.m_tracks.size() || !restored.isEmpty())
        m_store.setTracks(std::move(updated));
    if (restored.isEmpty())
        return;

    m_store.setSelectedIDs(restored);
    std::optional<QUuid> focus;
    for (const Track &track : std::as_const(m_store.m_tracks)) {
        if (restored.contains(track.id)) {
            focus = track.id;
            break;
        }
    }
    m_store.setSelectedID(focus);
    postMembershipChange();
    if (m_store.m_activeTab == LibraryTab::favorites && m_store.m_selectedID) {
        NotificationCenter::defaultCenter().post(
            brivelloFocusFavoriteTrack,
            nullptr,
            {{kUserInfoTrackID, QVariant::fromValue(*m_store.m_selectedID)}});
    }
    m_store.showStatus(BrivelloLocalization::format(QStringLiteral("Восстановлено: %d"),
                                                    static_cast<int>(restored.size())),
                       QStringLiteral("arrow.uturn.backward"),
                       Tone::success);
}

QUuid TrackRemoval::reinsertRemovedTrack(QList<Track> &tracks, const RemovedTrack &entry)
{
    qsizetype existing = indexOfID(tracks, entry.track.id);
    if (existing < 0)
        existing = indexOfFile(tracks, entry.track.url);
    if (existing >= 0) {
        // One track per file: the removed track's memberships join the one already there.
        Track &track = tracks[existing];
        track.isFavorite = track.isFavorite || entry.track.isFavorite;
        track.isInPlaylist = track.isInPlaylist || entry.track.isInPlaylist;
        track.isInCoverWorkspace = track.isInCoverWorkspace || entry.track.isInCoverWorkspace;
        return track.id;
    }
    tracks.insert(RemovalHistory::insertionIndex(entry.originalIndex, tracks.size()), entry.track);
    return entry.track.id;
}

void TrackRemoval::continuePlaybackAfterRemoving(const QSet<QUuid> &removed,
                                                 const QList<Track> &seen)
{
    AudioPlayer *player = m_store.audioPlayer();
    if (!player)
        return;
    const std::optional<QUuid> current = player->currentID();
    if (!current || !removed.contains(*current))
        return;
    const qsizetype position = indexOfID(seen, *current);
    if (position < 0)
        return;
    QList<Track> remaining;
    for (const Track &track : seen) {
        if (!removed.contains(track.id))
            remaining.append(track);
    }
    if (remaining.isEmpty()) {
        player->stopAndClear();
        return;
    }
    const Track next = remaining[std::min(position, remaining.size() - 1)];
    m_store.setSelectedID(next.id);
    m_store.setSelectedIDs({next.id});
    player->play(next);
}

void TrackRemoval::pruneDuplicateGroups(const QSet<QUuid> &removing, const QSet<QUrl> &removedFiles)
{
    // The duplicate workspace's tracks carry ids of their own: match them by file too.
    QSet<QUuid> ids = removing;
    for (const Track &track : std::as_const(m_store.m_duplicateTracks)) {
        if (removedFiles.contains(track.url.adjusted(QUrl::NormalizePathSegments)))
            ids.insert(track.id);
    }
    QList<AudioDuplicateGroup> kept;
    for (AudioDuplicateGroup group : std::as_const(m_store.m_duplicateSearch.groups)) {
        group.trackIDs.removeIf([&ids](const QUuid &id) { return ids.contains(id); });
        if (group.trackIDs.size() >= 2)
            kept.append(group);
    }
    DuplicateSearchState search = m_store.m_duplicateSearch;
    search.groups = std::move(kept);
    m_store.setDuplicateSearch(std::move(search));
}

} // namespace brivello
