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
    m_analysis.detectBPM(m_tracks, ids);
}

void LibraryStore::analyzeQuality(const QSet<QUuid> &ids, bool retryFailed)
{
    m_analysis.analyzeQuality(m_analysisTracks, ids, retryFailed);
}

void LibraryStore::playbackStateDidChange(bool isPlaying)
{
    if (m_audioIsPlaying == isPlaying)
        return;
    m_audioIsPlaying = isPlaying;
    emit playbackStateChanged(isPlaying);
}

} // namespace brivello
