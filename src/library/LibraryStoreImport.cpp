#include "LibraryStore.h"
#include "library/AudioFileWalk.h"
#include "platform/BrivelloLocalization.h"

#include <QCoroFuture>
#include <QtConcurrent>

namespace brivello {

namespace {

using Tone = LibraryStore::WorkspaceStatus::Tone;

// Runs an import to its end without anyone awaiting it; the completion is skipped when the
// store went away during the walk.
QCoro::Task<> finishDetached(QCoro::Task<QList<QUuid>> import,
                             StoreLifetimeGuard guard,
                             LibraryStore::ImportCompletion completion)
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

const QSet<QString> &LibraryStore::playlistExtensions()
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

const QSet<QString> &LibraryStore::converterExtensions()
{
    static const QSet<QString> types = playlistExtensions() + QSet<QString>{QStringLiteral("ogg")};
    return types;
}

QList<QUrl> LibraryStore::audioURLs(const QList<QUrl> &urls, const QSet<QString> &types)
{
    return AudioFileWalk::audioURLs(urls, types);
}

// --- Entries: each starts a task and returns at once. ---

QList<QUuid> LibraryStore::importURLs(const QList<QUrl> &urls, ImportCompletion completion)
{
    finishDetached(importURLsAsync(urls), lifetimeGuard(), std::move(completion));
    return {};
}

QList<QUuid> LibraryStore::importForCovers(const QList<QUrl> &urls, ImportCompletion completion)
{
    finishDetached(importForCoversAsync(urls), lifetimeGuard(), std::move(completion));
    return {};
}

void LibraryStore::importForAnalysis(const QList<QUrl> &urls)
{
    finishDetached(importForAnalysisAsync(urls));
}

void LibraryStore::importForConversion(const QList<QUrl> &urls)
{
    finishDetached(importForConversionAsync(urls));
}

QCoro::Task<LibraryStore::ExpandedImport> LibraryStore::expandForLibrary(QList<QUrl> urls)
{
    // The copy shares the list's data; the pool thread only reads it.
    const QList<Track> library = m_tracks;
    const quint64 revision = m_tracksRevision;
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

void LibraryStore::locateInLibrary(ExpandedImport &expanded) const
{
    if (expanded.revision == m_tracksRevision)
        return;
    expanded.positions = positionsIn(expanded.urls, m_tracks);
    expanded.revision = m_tracksRevision;
}

QCoro::Task<QList<QUuid>> LibraryStore::importURLsAsync(QList<QUrl> urls)
{
    const StoreLifetimeGuard guard = lifetimeGuard();
    ExpandedImport expanded = co_await expandForLibrary(urls);
    if (!guard.alive())
        co_return QList<QUuid>{};
    QList<QUuid> ids = co_await completePlaylistImport(std::move(expanded));
    co_return ids;
}

QCoro::Task<QList<QUuid>> LibraryStore::importForCoversAsync(QList<QUrl> urls)
{
    const StoreLifetimeGuard guard = lifetimeGuard();
    ExpandedImport expanded = co_await expandForLibrary(urls);
    if (!guard.alive())
        co_return QList<QUuid>{};
    QList<QUuid> ids = co_await completeCoverImport(std::move(expanded));
    co_return ids;
}

QCoro::Task<> LibraryStore::importForAnalysisAsync(QList<QUrl> urls)
{
    const StoreLifetimeGuard guard = lifetimeGuard();
    QFuture<QList<QUrl>> walking = walk(urls, playlistExtensions());
    const QList<QUrl> expanded = co_await walking;
    if (guard.alive())
        co_await completeAnalysisImport(expanded);
}

QCoro::Task<> LibraryStore::importForConversionAsync(QList<QUrl> urls)
{
    const QSet<QString> types = converterExtensions();
    const StoreLifetimeGuard guard = lifetimeGuard();
    QFuture<QList<QUrl>> walking = walk(urls, types);
    const QList<QUrl> expanded = co_await walking;
    if (guard.alive())
        completeConversionImport(expanded);
}

// --- Playlist and covers: known tracks get the section's flag, new ones are appended. ---

LibraryStore::ImportSplit LibraryStore::flagKnownTracks(ExpandedImport &expanded, bool Track::*flag)
{
    locateInLibrary(expanded);
    ImportSplit split;
    QList<Track> updated = m_tracks;
    bool flagChanged = false;
    for (qsizetype i = 0; i < expanded.urls.size(); ++i) {
        const qsizetype at = expanded.positions[i];
        if (at < 0) {
            split.newURLs.append(expanded.urls[i]);
            continue;
        }
        split.knownIDs.append(m_tracks[at].id);
        if (!(m_tracks[at].*flag)) {
            updated[at].*flag = true; // detaches the copy only when a flag changes
            flagChanged = true;
        }
    }
    if (flagChanged)
        setTracks(std::move(updated));
    return split;
}

QCoro::Task<LibraryStore::ChunkedAppend> LibraryStore::appendLibraryTracks(QList<QUrl> urls,
                                                                           ChunkTarget target)
{
    const StoreLifetimeGuard guard = lifetimeGuard();
    ChunkedAppend appended = co_await appendTracksInChunks(urls, target);
    if (!guard.alive())
        co_return appended;
    startMetadataLoads(appended.created, MetadataDestination::library);
    preloadWaveforms(urlsOf(appended.created));
    co_return appended;
}

QCoro::Task<QList<QUuid>> LibraryStore::completePlaylistImport(ExpandedImport expanded)
{
    const ImportSplit split = flagKnownTracks(expanded, &Track::isInPlaylist);
    detectBPM(QSet<QUuid>(split.knownIDs.cbegin(), split.knownIDs.cend()));
    if (split.newURLs.isEmpty())
        co_return split.knownIDs;
    const QList<QUuid> newIDs = co_await finishImport(split.newURLs);
    co_return split.knownIDs + newIDs;
}

QCoro::Task<QList<QUuid>> LibraryStore::finishImport(QList<QUrl> urls)
{
    const StoreLifetimeGuard guard = lifetimeGuard();
    const ChunkedAppend appended = co_await appendLibraryTracks(urls, ChunkTarget::playlist);
    if (guard.alive() && !appended.created.isEmpty()) {
        showStatus(BrivelloLocalization::format(QStringLiteral("Добавлено в плейлист: %d"),
                                                appended.created.size()),
                   QStringLiteral("music.note.list"),
                   Tone::success);
    }
    co_return appended.ids;
}

QCoro::Task<QList<QUuid>> LibraryStore::completeCoverImport(ExpandedImport expanded)
{
    const ImportSplit split = flagKnownTracks(expanded, &Track::isInCoverWorkspace);
    if (split.newURLs.isEmpty())
        co_return split.knownIDs;
    const StoreLifetimeGuard guard = lifetimeGuard();
    const ChunkedAppend appended = co_await appendLibraryTracks(split.newURLs, ChunkTarget::covers);
    // Files another import added meanwhile are not new: they count only when created here.
    if (guard.alive() && !appended.created.isEmpty()) {
        showStatus(BrivelloLocalization::format(QStringLiteral("Добавлено в обложки: %d"),
                                                appended.created.size()),
                   QStringLiteral("photo.on.rectangle.angled"),
                   Tone::success);
    }
    co_return split.knownIDs + appended.ids;
}

// --- Analysis. ---

QCoro::Task<> LibraryStore::completeAnalysisImport(QList<QUrl> urls)
{
    QSet<QUrl> known;
    for (const Track &track : std::as_const(m_analysisTracks))
        known.insert(track.url);
    QList<QUrl> newURLs;
    for (const QUrl &url : std::as_const(urls)) {
        if (!known.contains(url))
            newURLs.append(url);
    }
    if (!newURLs.isEmpty())
        co_await finishAnalysisImport(newURLs);
}

QCoro::Task<> LibraryStore::finishAnalysisImport(QList<QUrl> urls)
{
    const StoreLifetimeGuard guard = lifetimeGuard();
    const ChunkedAppend appended = co_await appendTracksInChunks(urls, ChunkTarget::analysis);
    if (!guard.alive() || appended.created.isEmpty())
        co_return;
    startMetadataLoads(appended.created, MetadataDestination::analysis);
    preloadWaveforms(urlsOf(appended.created));
    analyzeQuality(idSetOf(appended.created));
    showStatus(BrivelloLocalization::format(QStringLiteral("Добавлено в анализ: %d"),
                                            appended.created.size()),
               QStringLiteral("waveform.path.ecg"),
               Tone::success);
}

// --- Converter: tested and appended in one main-thread step, so it cannot race itself. ---

void LibraryStore::completeConversionImport(const QList<QUrl> &urls)
{
    QSet<QUrl> known;
    for (const ConversionItem &item : std::as_const(m_conversionItems))
        known.insert(item.url);
    QList<ConversionItem> items = m_conversionItems;
    bool added = false;
    for (const QUrl &url : urls) {
        if (known.contains(url))
            continue;
        known.insert(url);
        items.append(ConversionItem{QUuid::createUuid(), url, {}, std::nullopt});
        added = true;
    }
    if (added)
        setConversionItems(std::move(items));
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
    // "/a/b/" and "/a/b" are one root.
    for (QUrl &url : urls) {
        url = AudioFileWalk::standardized(url);
        if (!roots.contains(url)) {
            roots.append(url);
            rootAdded = true;
        }
    }
    if (rootAdded)
        setDuplicateSearch(std::move(search));

    const StoreLifetimeGuard guard = lifetimeGuard();
    const QSet<QString> types = playlistExtensions();
    QFuture<QList<QUrl>> walking =
        QtConcurrent::run([urls, types] { return AudioFileWalk::audioURLs(urls, types); });
    const QList<QUrl> expanded = co_await walking;
    if (!guard.alive())
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
    if (guard.alive())
        startMetadataLoads(appended.created, MetadataDestination::duplicates);
}

} // namespace brivello
