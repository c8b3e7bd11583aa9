#include "LibraryStore.h"

#include <QMetaObject>

namespace brivello {

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

void LibraryStore::pruneDuplicateGroups(const QSet<QUuid> &removing, const QSet<QUrl> &removedFiles)
{
    // The duplicate workspace's tracks carry ids of their own: match them by file too.
    QSet<QUuid> ids = removing;
    for (const Track &track : std::as_const(m_duplicateTracks)) {
        if (removedFiles.contains(track.url.adjusted(QUrl::NormalizePathSegments)))
            ids.insert(track.id);
    }
    QList<AudioDuplicateGroup> kept;
    for (AudioDuplicateGroup group : std::as_const(m_duplicateSearch.groups)) {
        group.trackIDs.removeIf([&ids](const QUuid &id) { return ids.contains(id); });
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
        if (m_estimatedBPMByTrackID.contains(track.id) || m_bpmQueue.contains(track.id))
            continue;
        picked.append(track.id);
    }
    if (picked.isEmpty())
        return;
    m_bpmQueue.append(picked);
    setAnalyzingBPMIDs(m_bpmQueue.queued());
    emit bpmWorkRequested();
}

void LibraryStore::analyzeQuality(const QSet<QUuid> &ids, bool retryFailed)
{
    if (ids.isEmpty())
        return;
    QList<QUuid> picked;
    for (const Track &track : std::as_const(m_analysisTracks)) {
        if (!ids.contains(track.id) || m_qualityAnalyses.contains(track.id) ||
            m_qualityQueue.contains(track.id))
            continue;
        if (!retryFailed && m_qualityFailures.contains(track.id))
            continue;
        picked.append(track.id);
    }
    if (picked.isEmpty())
        return;
    if (retryFailed) {
        QualityFailures failures = m_qualityFailures;
        for (const QUuid &id : std::as_const(picked))
            failures.remove(id);
        if (failures.size() != m_qualityFailures.size())
            setQualityFailures(std::move(failures));
    }
    m_qualityQueue.append(picked);
    setAnalyzingQualityIDs(m_qualityQueue.queued());
    emit qualityWorkRequested();
}

void LibraryStore::playbackStateDidChange(bool isPlaying)
{
    if (m_audioIsPlaying == isPlaying)
        return;
    m_audioIsPlaying = isPlaying;
    emit playbackStateChanged(isPlaying);
}

} // namespace brivello
