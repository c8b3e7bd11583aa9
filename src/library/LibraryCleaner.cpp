#include "LibraryCleaner.h"

#include "audiofiles/MetadataWriteCoordinator.h"
#include "library/LibrarySections.h"
#include "library/LibrarySettingsKeys.h"
#include "library/LibraryStore.h"
#include "library/TagWriting.h"
#include "library/TrackCleaner.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"
#include "platform/LocalFile.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/Trash.h"

#include <QDir>
#include <QScopeGuard>

namespace brivello {

namespace {

using Tone = LibraryStore::WorkspaceStatus::Tone;

// On unless a Boolean false is stored (INI files keep it as the text "false").
bool onUnlessStoredFalse(const Defaults &defaults, const QString &key)
{
    const QVariant value = defaults.value(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString)
        return value.toString() != QStringLiteral("false");
    return true;
}

struct PlannedRename
{
    QUuid id;
    QUrl from;
    QUrl to;
};

} // namespace

LibraryCleaner::LibraryCleaner(LibraryStore &store)
    : m_store(store)
{}

void LibraryCleaner::runConfiguredCleaner()
{
    runConfiguredCleaner(m_store.sections().visibleSelection());
}

void LibraryCleaner::runConfiguredCleaner(const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    const bool clearing = onUnlessStoredFalse(m_store.m_settings.defaults(), kCleanerClearTagsKey);
    if (clearing)
        clearTags(ids,
                  onUnlessStoredFalse(m_store.m_settings.defaults(), kCleanerClearBPMAndKeyKey));
    if (m_store.m_settings.cleanerCleanFilenames())
        renameCleanedFiles(
            ids,
            onUnlessStoredFalse(m_store.m_settings.defaults(), kCleanerStripBPMAndKeyKey),
            clearing);
    m_store.showStatus(BrivelloLocalization::format(QStringLiteral("Очистка применена: %d"),
                                                    static_cast<int>(ids.size())),
                       QStringLiteral("sparkles"),
                       Tone::success);
}

void LibraryCleaner::clearTags(const QSet<QUuid> &requested, bool removeBPMAndKey)
{
    const QSet<QUuid> ids = requested.isEmpty() ? m_store.sections().visibleSelection() : requested;
    if (ids.isEmpty())
        return;
    const QStringList filters = TrackCleaner::titleFilters(m_store.m_settings.titleFiltersRaw());
    // Library tracks only, like the rename step: ids of other lists are not the cleaner's.
    QList<Track> tracks = m_store.m_tracks;
    QList<TagWriting::TagWriteItem> writes;
    for (Track &track : tracks) {
        if (!ids.contains(track.id))
            continue;
        track.tags = TrackCleaner::clearedTags(track, filters, removeBPMAndKey);
        track.artwork = QImage();
        writes.append({track.tags, track.url});
    }
    if (writes.isEmpty())
        return;
    m_store.setTracks(std::move(tracks));
    NotificationCenter::defaultCenter().post(brivelloTrackMetadataDidChange);
    m_store.tagWriting().writeBatch(writes, true);
}

QCoro::Task<> LibraryCleaner::cleanFilenames(QSet<QUuid> ids, bool removeBPMAndKey)
{
    return renameCleanedFiles(std::move(ids), removeBPMAndKey, false);
}

QCoro::Task<>
LibraryCleaner::renameCleanedFiles(QSet<QUuid> ids, bool removeBPMAndKey, bool tagsCleared)
{
    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    const auto finished = qScopeGuard([&guard] {
        if (LibraryStore *store = guard.store())
            emit store->filenameCleaningFinished();
    });
    if (ids.isEmpty())
        ids = m_store.sections().visibleSelection();
    if (ids.isEmpty())
        co_return;
    const QStringList filters = TrackCleaner::renameFilters(m_store.m_settings.renameFilters());
    QList<PlannedRename> plans;
    for (const Track &track : std::as_const(m_store.m_tracks)) {
        if (!ids.contains(track.id))
            continue;
        const QString name = TrackCleaner::cleanedBaseName(
            TrackCleaner::baseName(track.url), filters, removeBPMAndKey);
        if (name.isEmpty())
            continue;
        const QUrl to = TrackCleaner::renamedLocation(track.url, name);
        if (QDir::cleanPath(LocalFile::path(to)) != QDir::cleanPath(LocalFile::path(track.url)))
            plans.append({track.id, track.url, to});
    }
    if (plans.isEmpty())
        co_return;

    // Each move happens under the file's write lock, so a rewrite in flight finishes first and
    // can never put the old file back. Writes still due at the old path are dropped once it
    // moves; the tags the store holds are written under the new name instead.
    MetadataWriteCoordinator &coordinator = m_store.m_services.writeService();
    std::vector<MetadataWriteCoordinator::Permit> permits;
    for (const PlannedRename &plan : std::as_const(plans)) {
        // A named awaitable: GCC 12 destroys temporaries of an awaited expression twice.
        MetadataWriteCoordinator::Acquire acquiring =
            coordinator.acquire(MetadataWriteCoordinator::lockKey(plan.from));
        permits.push_back(co_await acquiring);
        if (!guard.alive())
            co_return;
    }

    QList<Track> updated = m_store.m_tracks;
    QList<TagWriting::TagWriteItem> writes;
    QList<TagWriting::TagWriteItem> writesWithoutArtwork;
    bool renamed = false;
    for (const PlannedRename &plan : std::as_const(plans)) {
        const auto at = std::find_if(updated.begin(), updated.end(), [&](const Track &track) {
            return track.id == plan.id;
        });
        // Removed or moved while the locks were awaited: leave it.
        if (at == updated.end() || at->url != plan.from)
            continue;
        if (LocalFile::isTaken(LocalFile::path(plan.to)))
            continue;
        const auto error = Trash::moveItem(LocalFile::path(plan.from), LocalFile::path(plan.to));
        if (error) {
            if (error->kind != TrashError::noSuchFile && error->kind != TrashError::fileExists)
                m_store.setLastError(error->description);
            continue;
        }
        const QString fromKey = MetadataWriteCoordinator::lockKey(plan.from);
        const bool due = coordinator.hasDueWrites(fromKey);
        const bool removeArtwork = tagsCleared || coordinator.dueWritesRemoveArtwork(fromKey);
        coordinator.noteMoved(fromKey);
        const TrackCleaner::FollowedTags followed =
            TrackCleaner::tagsAfterRename(at->tags, plan.from, plan.to);
        at->url = plan.to;
        at->tags = followed.tags;
        renamed = true;
        if (followed.followedName || tagsCleared || due)
            (removeArtwork ? writesWithoutArtwork : writes).append({at->tags, at->url});
    }
    permits.clear();
    if (!renamed)
        co_return;
    m_store.setTracks(std::move(updated));
    NotificationCenter::defaultCenter().post(brivelloTrackMetadataDidChange);
    m_store.tagWriting().writeBatch(writes, false);
    m_store.tagWriting().writeBatch(writesWithoutArtwork, true);
}

} // namespace brivello
