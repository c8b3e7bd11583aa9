#include "TrackImporter.h"

#include "library/AudioFileWalk.h"
#include "library/LibraryStore.h"
#include "library/MetadataLoading.h"
#include "platform/BrivelloLocalization.h"

#include <QCoroFuture>
#include <QMetaObject>
#include <QtConcurrent>

namespace brivello {

namespace {

using Tone = LibraryStore::WorkspaceStatus::Tone;

// Runs an import to its end without anyone awaiting it; the completion is skipped when the
// store went away during the walk.
QCoro::Task<> finishDetached(QCoro::Task<QList<QUuid>> import,
                             StoreLifetimeGuard guard,
                             TrackImporter::ImportCompletion completion)
{
    const QList<QUuid> ids = co_await import;
    if (guard.alive() && completion)
        completion(ids);
}

QCoro::Task<> finishDetached(QCoro::Task<> import)
{
    co_await import;
}

QFuture<QList<QUrl>> walk(const QList<QUrl> &urls, const QSet<QString> &types)
{
    return QtConcurrent::run([urls, types] { return AudioFileWalk::audioURLs(urls, types); });
}

// Position of each address in `tracks`, -1 when the list does not hold it.
QList<qsizetype> positionsIn(const QList<QUrl> &urls, const QList<Track> &tracks)
{
    QHash<QUrl, qsizetype> index;
    index.reserve(tracks.size());
    for (qsizetype i = 0; i < tracks.size(); ++i)
        index.insert(tracks[i].url, i);
    QList<qsizetype> positions;
    positions.reserve(urls.size());
    for (const QUrl &url : urls)
        positions.append(index.value(url, -1));
    return positions;
}

} // namespace

TrackImporter::TrackImporter(LibraryStore &store)
    : m_store(store)
{}

const QSet<QString> &TrackImporter::playlistExtensions()
{
    static const QSet<QString> types{QStringLiteral("mp3"),
                                     QStringLiteral("m4a"),
                                     QStringLiteral("aac"),
                                     QStringLiteral("wav"),
                                     QStringLiteral("aiff"),
                                     QStringLiteral("aif"),
                                     QStringLiteral("flac")};
    return types;
}

const QSet<QString> &TrackImporter::converterExtensions()
{
    static const QSet<QString> types = playlistExtensions() + QSet<QString>{QStringLiteral("ogg")};
    return types;
}

QList<QUrl> TrackImporter::audioURLs(const QList<QUrl> &urls, const QSet<QString> &types)
{
    return AudioFileWalk::audioURLs(urls, types);
}

// --- Entries: each starts a task and returns at once. ---

QList<QUuid> TrackImporter::importURLs(const QList<QUrl> &urls, ImportCompletion completion)
{
    finishDetached(importURLsAsync(urls), m_store.lifetimeGuard(), std::move(completion));
    return {};
}

QList<QUuid> TrackImporter::importForCovers(const QList<QUrl> &urls, ImportCompletion completion)
{
    finishDetached(importForCoversAsync(urls), m_store.lifetimeGuard(), std::move(completion));
    return {};
}

void TrackImporter::importForAnalysis(const QList<QUrl> &urls)
{
    finishDetached(importForAnalysisAsync(urls));
}

void TrackImporter::importForConversion(const QList<QUrl> &urls)
{
    finishDetached(importForConversionAsync(urls));
}

QCoro::Task<TrackImporter::ExpandedImport> TrackImporter::expandForLibrary(QList<QUrl> urls)
{
    // The copy shares the list's data; the pool thread only reads it.
    const QList<Track> library = m_store.m_tracks;
    const quint64 revision = m_store.m_tracksRevision;
    QFuture<ExpandedImport> walking = QtConcurrent::run([urls, library, revision] {
        ExpandedImport expanded;
        expanded.urls = AudioFileWalk::audioURLs(urls, playlistExtensions());
        expanded.positions = positionsIn(expanded.urls, library);
        expanded.revision = revision;
        return expanded;
    });
    ExpandedImport expanded = co_await walking;
    co_return expanded;
}

void TrackImporter::locateInLibrary(ExpandedImport &expanded) const
{
    if (expanded.revision == m_store.m_tracksRevision)
        return;
    expanded.positions = positionsIn(expanded.urls, m_store.m_tracks);
    expanded.revision = m_store.m_tracksRevision;
}

QCoro::Task<QList<QUuid>> TrackImporter::importURLsAsync(QList<QUrl> urls)
{
    return importIntoLibrary(std::move(urls), &TrackImporter::completePlaylistImport);
}

QCoro::Task<QList<QUuid>> TrackImporter::importForCoversAsync(QList<QUrl> urls)
{
    return importIntoLibrary(std::move(urls), &TrackImporter::completeCoverImport);
}

QCoro::Task<QList<QUuid>> TrackImporter::importIntoLibrary(QList<QUrl> urls,
                                                           LibraryCompletion complete)
{
    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    ExpandedImport expanded = co_await expandForLibrary(urls);
    if (!guard.alive())
        co_return QList<QUuid>{};
    QList<QUuid> ids = co_await (this->*complete)(std::move(expanded));
    co_return ids;
}

QCoro::Task<> TrackImporter::importForAnalysisAsync(QList<QUrl> urls)
{
    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    QFuture<QList<QUrl>> walking = walk(urls, playlistExtensions());
    const QList<QUrl> expanded = co_await walking;
    if (guard.alive())
        co_await completeAnalysisImport(expanded);
}

QCoro::Task<> TrackImporter::importForConversionAsync(QList<QUrl> urls)
{
    const QSet<QString> types = converterExtensions();
    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    QFuture<QList<QUrl>> walking = walk(urls, types);
    const QList<QUrl> expanded = co_await walking;
    if (guard.alive())
        completeConversionImport(expanded);
}

// --- Playlist and covers: known tracks get the section's flag, new ones are appended. ---

TrackImporter::ImportSplit TrackImporter::flagKnownTracks(ExpandedImport &expanded,
                                                          bool Track::*flag)
{
    locateInLibrary(expanded);
    ImportSplit split;
    QList<Track> updated = m_store.m_tracks;
    bool flagChanged = false;
    for (qsizetype i = 0; i < expanded.urls.size(); ++i) {
        const qsizetype at = expanded.positions[i];
        if (at < 0) {
            split.newURLs.append(expanded.urls[i]);
            continue;
        }
        split.knownIDs.append(m_store.m_tracks[at].id);
        if (!(m_store.m_tracks[at].*flag)) {
            updated[at].*flag = true; // detaches the copy only when a flag changes
            flagChanged = true;
        }
    }
    if (flagChanged)
        m_store.setTracks(std::move(updated));
    return split;
}

QCoro::Task<TrackImporter::ChunkedAppend> TrackImporter::appendLibraryTracks(QList<QUrl> urls,
                                                                             ChunkTarget target)
{
    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    // The files are read while later chunks are still being made, not after the last one.
    const std::shared_ptr<MetadataLoading::Feed> feed =
        m_store.metadataLoading().openFeed(MetadataDestination::library);
    ChunkedAppend appended = co_await appendTracksInChunks(urls, target, feed);
    if (!guard.alive())
        co_return appended;
    if (feed)
        m_store.metadataLoading().closeFeed(feed);
    else
        m_store.metadataLoading().startMetadataLoads(appended.created,
                                                     MetadataDestination::library);
    preloadWaveforms(urlsOf(appended.created));
    co_return appended;
}

QCoro::Task<QList<QUuid>> TrackImporter::completePlaylistImport(ExpandedImport expanded)
{
    const ImportSplit split = flagKnownTracks(expanded, &Track::isInPlaylist);
    m_store.detectBPM(QSet<QUuid>(split.knownIDs.cbegin(), split.knownIDs.cend()));
    if (split.newURLs.isEmpty())
        co_return split.knownIDs;
    const QList<QUuid> newIDs = co_await finishImport(split.newURLs);
    co_return split.knownIDs + newIDs;
}

QCoro::Task<QList<QUuid>> TrackImporter::finishImport(QList<QUrl> urls)
{
    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    const ChunkedAppend appended = co_await appendLibraryTracks(urls, ChunkTarget::playlist);
    if (guard.alive() && !appended.created.isEmpty()) {
        m_store.showStatus(BrivelloLocalization::format(QStringLiteral("Добавлено в плейлист: %d"),
                                                        appended.created.size()),
                           QStringLiteral("music.note.list"),
                           Tone::success);
    }
    co_return appended.ids;
}

QCoro::Task<QList<QUuid>> TrackImporter::completeCoverImport(ExpandedImport expanded)
{
    const ImportSplit split = flagKnownTracks(expanded, &Track::isInCoverWorkspace);
    if (split.newURLs.isEmpty())
        co_return split.knownIDs;
    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    const ChunkedAppend appended = co_await appendLibraryTracks(split.newURLs, ChunkTarget::covers);
    // Files another import added meanwhile are not new: they count only when created here.
    if (guard.alive() && !appended.created.isEmpty()) {
        m_store.showStatus(BrivelloLocalization::format(QStringLiteral("Добавлено в обложки: %d"),
                                                        appended.created.size()),
                           QStringLiteral("photo.on.rectangle.angled"),
                           Tone::success);
    }
    co_return split.knownIDs + appended.ids;
}

// --- Analysis. ---

QCoro::Task<> TrackImporter::completeAnalysisImport(QList<QUrl> urls)
{
    QSet<QUrl> known;
    for (const Track &track : std::as_const(m_store.m_analysisTracks))
        known.insert(track.url);
    QList<QUrl> newURLs;
    for (const QUrl &url : std::as_const(urls)) {
        if (!known.contains(url))
            newURLs.append(url);
    }
    if (!newURLs.isEmpty())
        co_await finishAnalysisImport(newURLs);
}

QCoro::Task<> TrackImporter::finishAnalysisImport(QList<QUrl> urls)
{
    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    const ChunkedAppend appended = co_await appendTracksInChunks(urls, ChunkTarget::analysis);
    if (!guard.alive() || appended.created.isEmpty())
        co_return;
    m_store.metadataLoading().startMetadataLoads(appended.created, MetadataDestination::analysis);
    preloadWaveforms(urlsOf(appended.created));
    m_store.analyzeQuality(idSetOf(appended.created));
    m_store.showStatus(BrivelloLocalization::format(QStringLiteral("Добавлено в анализ: %d"),
                                                    appended.created.size()),
                       QStringLiteral("waveform.path.ecg"),
                       Tone::success);
}

// --- Converter: tested and appended in one main-thread step, so it cannot race itself. ---

void TrackImporter::completeConversionImport(const QList<QUrl> &urls)
{
    QSet<QUrl> known;
    for (const ConversionItem &item : std::as_const(m_store.m_conversionItems))
        known.insert(item.url);
    QList<ConversionItem> items = m_store.m_conversionItems;
    bool added = false;
    for (const QUrl &url : urls) {
        if (known.contains(url))
            continue;
        known.insert(url);
        items.append(ConversionItem{QUuid::createUuid(), url, {}, std::nullopt});
        added = true;
    }
    if (added)
        m_store.setConversionItems(std::move(items));
}

// --- Duplicate search sources. ---

void TrackImporter::importDuplicateSearchURLs(const QList<QUrl> &urls)
{
    [](QCoro::Task<> import) -> QCoro::Task<> {
        co_await import;
    }(importDuplicateSearchURLsAsync(urls));
}

QCoro::Task<> TrackImporter::importDuplicateSearchURLsAsync(QList<QUrl> urls)
{
    DuplicateSearchState search = m_store.m_duplicateSearch;
    QList<QUrl> &roots = search.roots;
    bool rootAdded = false;
    // "/a/b/" and "/a/b" are one root.
    for (QUrl &url : urls) {
        url = AudioFileWalk::standardized(url);
        if (!roots.contains(url)) {
            roots.append(url);
            rootAdded = true;
        }
    }
    if (rootAdded)
        m_store.setDuplicateSearch(std::move(search));

    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    const QSet<QString> types = playlistExtensions();
    QFuture<QList<QUrl>> walking =
        QtConcurrent::run([urls, types] { return AudioFileWalk::audioURLs(urls, types); });
    const QList<QUrl> expanded = co_await walking;
    if (!guard.alive())
        co_return;
    QSet<QUrl> known;
    for (const Track &track : std::as_const(m_store.m_duplicateTracks))
        known.insert(track.url);
    QList<QUrl> newURLs;
    for (const QUrl &url : expanded) {
        if (!known.contains(url))
            newURLs.append(url);
    }
    if (newURLs.isEmpty())
        co_return;
    const ChunkedAppend appended = co_await appendTracksInChunks(newURLs, ChunkTarget::duplicates);
    if (guard.alive())
        m_store.metadataLoading().startMetadataLoads(appended.created,
                                                     MetadataDestination::duplicates);
}

void TrackImporter::preloadWaveforms(const QList<QUrl> &urls)
{
    if (urls.isEmpty())
        return;
    const QList<QUrl> first = urls.mid(0, 3);
    // Queued, so the preloads of the restore in the constructor reach the receivers connected
    // after it.
    QMetaObject::invokeMethod(
        &m_store,
        [this, first] { emit m_store.waveformPreloadRequested(first); },
        Qt::QueuedConnection);
}

void TrackImporter::preloadWaveform(const QUrl &url)
{
    QMetaObject::invokeMethod(
        &m_store,
        [this, url] { emit m_store.waveformPreloadRequested({url}); },
        Qt::QueuedConnection);
}

} // namespace brivello
