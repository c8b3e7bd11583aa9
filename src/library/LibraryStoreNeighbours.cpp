#include "LibraryStore.h"

#include <QMetaObject>

namespace brivello {

namespace {
LibraryStore::MetadataLoadHook &metadataLoadHook()
{
    static LibraryStore::MetadataLoadHook hook;
    return hook;
}
} // namespace

void LibraryStore::setMetadataLoadHookForTesting(MetadataLoadHook hook)
{
    metadataLoadHook() = std::move(hook);
}

void LibraryStore::startMetadataLoads(const QList<Track> &tracks, MetadataDestination destination)
{
    if (metadataLoadHook()) {
        metadataLoadHook()(tracks, destination);
        return;
    }
    scheduleMetadataLoads(tracks, destination);
}

void LibraryStore::preloadWaveforms(const QList<QUrl> &urls)
{
    if (urls.isEmpty())
        return;
    const QList<QUrl> first = urls.mid(0, 3);
    // Queued, so the preloads of the restore in the constructor reach the receivers connected
    // after it.
    QMetaObject::invokeMethod(
        this, [this, first] { emit waveformPreloadRequested(first); }, Qt::QueuedConnection);
}

void LibraryStore::preloadWaveform(const QUrl &url)
{
    QMetaObject::invokeMethod(
        this, [this, url] { emit waveformPreloadRequested({url}); }, Qt::QueuedConnection);
}

void LibraryStore::pruneDuplicateGroups(const QSet<QUuid> &removing)
{
    QList<AudioDuplicateGroup> kept;
    for (AudioDuplicateGroup group : std::as_const(m_duplicateSearch.groups)) {
        group.trackIDs.removeIf([&removing](const QUuid &id) { return removing.contains(id); });
        if (group.trackIDs.size() >= 2)
            kept.append(group);
    }
    DuplicateSearchState search = m_duplicateSearch;
    search.groups = std::move(kept);
    setDuplicateSearch(std::move(search));
}

void LibraryStore::detectBPM(const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    QList<QUuid> picked;
    for (const Track &track : std::as_const(m_tracks)) {
        if (!ids.contains(track.id) || !track.tags.bpm.trimmed().isEmpty())
            continue;
        if (m_estimatedBPMByTrackID.contains(track.id) || m_queuedBPMTrackIDs.contains(track.id))
            continue;
        picked.append(track.id);
    }
    if (picked.isEmpty())
        return;
    m_pendingBPMTrackIDs.append(picked);
    QSet<QUuid> analyzing = m_analyzingBPMIDs;
    for (const QUuid &id : std::as_const(picked)) {
        m_queuedBPMTrackIDs.insert(id);
        analyzing.insert(id);
    }
    setAnalyzingBPMIDs(std::move(analyzing));
    emit bpmWorkRequested();
}

void LibraryStore::analyzeQuality(const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    QList<QUuid> picked;
    for (const Track &track : std::as_const(m_analysisTracks)) {
        if (!ids.contains(track.id) || m_qualityAnalyses.contains(track.id) ||
            m_queuedQualityTrackIDs.contains(track.id))
            continue;
        picked.append(track.id);
    }
    if (picked.isEmpty())
        return;
    m_pendingQualityTrackIDs.append(picked);
    QSet<QUuid> analyzing = m_analyzingQualityIDs;
    for (const QUuid &id : std::as_const(picked)) {
        m_queuedQualityTrackIDs.insert(id);
        analyzing.insert(id);
    }
    setAnalyzingQualityIDs(std::move(analyzing));
    emit qualityWorkRequested();
}

} // namespace brivello
