// The chunked appends of the imports: one list assignment and one yield per chunk.
#include "TrackImporter.h"
#include "library/AudioFileWalk.h"
#include "library/LibraryStore.h"
#include "library/MetadataLoading.h"

#include <QCoroFuture>
#include <QtConcurrent>

namespace brivello {

QList<Track> &TrackImporter::listFor(ChunkTarget target)
{
    switch (target) {
    case ChunkTarget::analysis:
        return m_store.m_analysisTracks;
    case ChunkTarget::duplicates:
        return m_store.m_duplicateTracks;
    default:
        return m_store.m_tracks;
    }
}

quint64 TrackImporter::revisionOf(ChunkTarget target) const
{
    switch (target) {
    case ChunkTarget::analysis:
        return m_store.m_analysisTracksRevision;
    case ChunkTarget::duplicates:
        return m_store.m_duplicateTracksRevision;
    default:
        // A metadata batch adds no track: only other assignments call for a new search.
        return m_store.m_tracksMembershipRevision;
    }
}

void TrackImporter::assignList(ChunkTarget target, QList<Track> list)
{
    switch (target) {
    case ChunkTarget::analysis:
        m_store.setAnalysisTracks(std::move(list));
        break;
    case ChunkTarget::duplicates:
        m_store.setDuplicateTracks(std::move(list));
        break;
    default:
        m_store.setTracks(std::move(list));
        break;
    }
}

// Creates the tracks chunk by chunk, one list assignment and one yield per chunk. Before each
// chunk the list is searched again when anything else assigned it meanwhile (another import
// may have added some of these files while this one waited), so no file gets two tracks.
QCoro::Task<TrackImporter::ChunkedAppend> TrackImporter::appendTracksInChunks(
    QList<QUrl> urls, ChunkTarget target, std::shared_ptr<MetadataLoading::Feed> feed)
{
    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    ChunkedAppend result;
    // The caller decided which addresses are new against the list as it is now.
    quint64 checkedRevision = revisionOf(target);
    for (qsizetype start = 0; start < urls.size(); start += kImportChunkSize) {
        const qsizetype end = std::min(urls.size(), start + kImportChunkSize);
        QList<Track> list = std::move(listFor(target));
        QHash<QUrl, qsizetype> index;
        const bool recheck = revisionOf(target) != checkedRevision;
        if (recheck) {
            index.reserve(list.size());
            for (qsizetype i = 0; i < list.size(); ++i)
                index.insert(list[i].url, i);
        }
        QList<Track> chunk;
        chunk.reserve(end - start);
        for (qsizetype i = start; i < end; ++i) {
            const auto found = recheck ? index.constFind(urls[i]) : index.constEnd();
            if (found != index.constEnd()) {
                Track &existing = list[*found];
                if (target == ChunkTarget::playlist)
                    existing.isInPlaylist = true;
                else if (target == ChunkTarget::covers)
                    existing.isInCoverWorkspace = true;
                result.ids.append(existing.id);
                continue;
            }
            Track track = Track::make(urls[i]);
            track.isInPlaylist = target == ChunkTarget::playlist || target == ChunkTarget::analysis;
            track.isInCoverWorkspace = target == ChunkTarget::covers;
            result.ids.append(track.id);
            chunk.append(track);
        }
        list.append(chunk);
        assignList(target, std::move(list));
        checkedRevision = revisionOf(target);
        m_store.metadataLoading().feed(feed, chunk);
        result.created.append(chunk);
        co_await Scheduler::yield();
        if (!guard.alive())
            co_return result;
    }
    co_return result;
}

} // namespace brivello
