#pragma once

#include "library/MetadataLoading.h"
#include "records/Track.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <functional>
#include <memory>
#include <qcoro/qcorotask.h>

namespace brivello {

class LibraryStore;

// Imports into the sections: addresses may mix files and folders, which are walked off the
// main thread; known files get the section's flag, new ones become tracks, appended in chunks,
// and their metadata and waveform loads start. Results arrive on the main thread. Part of
// LibraryStore.
class TrackImporter
{
public:
    using ImportCompletion = std::function<void(const QList<QUuid> &)>;
    static constexpr int kImportChunkSize = 200;

    explicit TrackImporter(LibraryStore &store);

    // Sorted (natural path order), repeat-free list of files whose lower-cased extension is in
    // `types`. Pure; runs on any thread.
    static QList<QUrl> audioURLs(const QList<QUrl> &urls, const QSet<QString> &types);
    static const QSet<QString> &playlistExtensions();
    static const QSet<QString> &converterExtensions();

    // Completion gets the ids of known files (path order) followed by the new tracks' ids.
    QList<QUuid> importURLs(const QList<QUrl> &urls, ImportCompletion completion = {});
    QList<QUuid> importForCovers(const QList<QUrl> &urls, ImportCompletion completion = {});
    void importForAnalysis(const QList<QUrl> &urls);
    void importForConversion(const QList<QUrl> &urls);
    void importDuplicateSearchURLs(const QList<QUrl> &urls);
    // The awaitable forms of the imports above, for callers that sequence on them.
    QCoro::Task<QList<QUuid>> importURLsAsync(QList<QUrl> urls);
    QCoro::Task<QList<QUuid>> importForCoversAsync(QList<QUrl> urls);
    QCoro::Task<> importForAnalysisAsync(QList<QUrl> urls);
    QCoro::Task<> importForConversionAsync(QList<QUrl> urls);
    QCoro::Task<> importDuplicateSearchURLsAsync(QList<QUrl> urls);

    // Hands at most the first three addresses to the waveform preloader
    // (waveformPreloadRequested, on a later turn of the event loop).
    void preloadWaveforms(const QList<QUrl> &urls);
    void preloadWaveform(const QUrl &url);

private:
    // A walk's result with each address's position in `tracks` (-1: new), found off the main
    // thread against a copy of the list; valid while `tracks` keeps that revision.
    struct ExpandedImport
    {
        QList<QUrl> urls;
        QList<qsizetype> positions;
        quint64 revision = 0;
    };
    QCoro::Task<ExpandedImport> expandForLibrary(QList<QUrl> urls);
    void locateInLibrary(ExpandedImport &expanded) const;
    // Raises `flag` on the tracks the library already holds; the other addresses are new.
    struct ImportSplit
    {
        QList<QUuid> knownIDs;
        QList<QUrl> newURLs;
    };
    ImportSplit flagKnownTracks(ExpandedImport &expanded, bool Track::*flag);
    // Walks `urls`, then hands the result to the playlist's or the covers' completion.
    using LibraryCompletion = QCoro::Task<QList<QUuid>> (TrackImporter::*)(ExpandedImport);
    QCoro::Task<QList<QUuid>> importIntoLibrary(QList<QUrl> urls, LibraryCompletion complete);
    QCoro::Task<QList<QUuid>> completePlaylistImport(ExpandedImport expanded);
    QCoro::Task<QList<QUuid>> finishImport(QList<QUrl> urls);
    QCoro::Task<QList<QUuid>> completeCoverImport(ExpandedImport expanded);
    QCoro::Task<> completeAnalysisImport(QList<QUrl> urls);
    QCoro::Task<> finishAnalysisImport(QList<QUrl> urls);
    void completeConversionImport(const QList<QUrl> &urls);

    enum class ChunkTarget { playlist, covers, analysis, duplicates };
    struct ChunkedAppend
    {
        QList<QUuid> ids;     // one per address, in order (a re-found track keeps its id)
        QList<Track> created; // the tracks actually made
    };
    // Each chunk's new tracks also go to `feed`, when given.
    QCoro::Task<ChunkedAppend> appendTracksInChunks(
        QList<QUrl> urls, ChunkTarget target, std::shared_ptr<MetadataLoading::Feed> feed = {});
    // Appends new library tracks and starts their metadata and waveform loads.
    QCoro::Task<ChunkedAppend> appendLibraryTracks(QList<QUrl> urls, ChunkTarget target);
    QList<Track> &listFor(ChunkTarget target);
    quint64 revisionOf(ChunkTarget target) const;
    void assignList(ChunkTarget target, QList<Track> list);

    LibraryStore &m_store;
};

} // namespace brivello
