#include "LibraryStore.h"
#include "library/AudioFileWalk.h"

#include <QCoroFuture>
#include <QtConcurrent>

namespace brivello {

QList<Track> &LibraryStore::listFor(ChunkTarget target)
{
    switch (target) {
    case ChunkTarget::analysis:
        return m_analysisTracks;
    case ChunkTarget::duplicates:
        return m_duplicateTracks;
    default:
        return m_tracks;
    }
}

quint64 LibraryStore::revisionOf(ChunkTarget target) const
{
    switch (target) {
    case ChunkTarget::analysis:
        return m_analysisTracksRevision;
    case ChunkTarget::duplicates:
        return m_duplicateTracksRevision;
    default:
        return m_tracksRevision;
    }
}

void LibraryStore::assignList(ChunkTarget target, QList<Track> list)
{
    switch (target) {
    case ChunkTarget::analysis:
        setAnalysisTracks(std::move(list));
        break;
    case ChunkTarget::duplicates:
        setDuplicateTracks(std::move(list));
        break;
    default:
        setTracks(std::move(list));
        break;
    }
}

// Creates the tracks chunk by chunk, one list assignment and one yield per chunk. Before each
// chunk the list is searched again when anything else assigned it meanwhile (another import
// may have added some of these files while this one waited), so no file gets two tracks.
QCoro::Task<LibraryStore::ChunkedAppend> LibraryStore::appendTracksInChunks(QList<QUrl> urls,
                                                                            ChunkTarget target)
{
    QPointer<LibraryStore> self(this);
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
        result.created.append(chunk);
        co_await Scheduler::yield();
        if (!self)
            co_return result;
    }
    co_return result;
}

// --- Duplicate search sources. ---

void LibraryStore::importDuplicateSearchURLs(const QList<QUrl> &urls)
{
    [](QCoro::Task<> import) -> QCoro::Task<> {
        co_await import;
    }(importDuplicateSearchURLsAsync(urls));
}

QCoro::Task<> LibraryStore::importDuplicateSearchURLsAsync(QList<QUrl> urls)
{
    DuplicateSearchState search = m_duplicateSearch;
    QList<QUrl> &roots = search.roots;
    bool rootAdded = false;
    for (const QUrl &url : std::as_const(urls)) {
        if (!roots.contains(url)) {
            roots.append(url);
            rootAdded = true;
        }
    }
    if (rootAdded)
        setDuplicateSearch(std::move(search));

    QPointer<LibraryStore> self(this);
    const QSet<QString> types = playlistExtensions();
    QFuture<QList<QUrl>> walking =
        QtConcurrent::run([urls, types] { return AudioFileWalk::audioURLs(urls, types); });
    const QList<QUrl> expanded = co_await walking;
    if (!self)
        co_return;
    QSet<QUrl> known;
    for (const Track &track : std::as_const(m_duplicateTracks))
        known.insert(track.url);
    QList<QUrl> newURLs;
    for (const QUrl &url : expanded) {
        if (!known.contains(url))
            newURLs.append(url);
    }
    if (newURLs.isEmpty())
        co_return;
    const ChunkedAppend appended = co_await appendTracksInChunks(newURLs, ChunkTarget::duplicates);
    if (self)
        startMetadataLoads(appended.created, MetadataDestination::duplicates);
}

} // namespace brivello
