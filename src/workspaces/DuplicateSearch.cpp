#include "DuplicateSearch.h"

#include "audiofiles/AudioMetadataLoadQueue.h"
#include "library/LibraryStore.h"
#include "platform/Scheduler.h"
#include "workspaces/DuplicateSearchFields.h"

#include <QCoroFuture>
#include <QFileInfo>
#include <QPointer>
#include <QtConcurrent>

namespace brivello {

namespace {
using Phase = DuplicateSearchState::Phase;

QString fileName(const QUrl &url)
{
    return QFileInfo(url.toLocalFile()).fileName();
}

std::optional<Track> duplicateTrack(const LibraryStore &store, const QUuid &id)
{
    for (const Track &track : store.duplicateTracks()) {
        if (track.id == id)
            return track;
    }
    return std::nullopt;
}
} // namespace

DuplicateSearch::DuplicateSearch(LibraryStore &store)
    : QObject(&store)
    , m_store(store)
{}

void DuplicateSearch::findDuplicates()
{
    if (isSearchingDuplicates(m_store))
        return;
    setDuplicateGroups(m_store, {});
    setDuplicateScanPhase(m_store, Phase::preparing);
    setDuplicateScanCurrentFile(m_store, {});
    setDuplicateScanProgress(m_store, 0);
    setDuplicateScanCandidateCount(m_store, 0);
    setDuplicateScanProcessedCount(m_store, 0);
    setDuplicateScanTotalCount(m_store, 0);
    setIsSearchingDuplicates(m_store, true);
    [](QCoro::Task<> task) -> QCoro::Task<> { co_await task; }(run(++m_generation));
}

QCoro::Task<> DuplicateSearch::run(quint64 generation)
{
    QPointer<DuplicateSearch> self(this);
    const QList<QUrl> roots = duplicateSearchRoots(m_store);
    co_await search(generation);
    if (self)
        endSearch(isCurrent(generation) && duplicateSearchRoots(m_store) == roots);
}

void DuplicateSearch::endSearch(bool covered)
{
    editDuplicateSearch(m_store, [covered](DuplicateSearchState &state) {
        state.isSearching = false;
        state.currentFile.clear();
        state.phase = Phase::idle;
        state.hasSearched = covered;
    });
    emit searchFinished();
}

// The counter and the percent change together, so no drawing shows one without the other.
void DuplicateSearch::publishProgress(qint64 processed, double progress)
{
    editDuplicateSearch(m_store, [processed, progress](DuplicateSearchState &state) {
        state.processedCount = processed;
        state.progress = progress;
    });
}

void DuplicateSearch::raiseProgress(double floor)
{
    setDuplicateScanProgress(m_store, std::max(duplicateScanProgress(m_store), floor));
}

// Every step after a suspension first checks that the store and the generation still hold;
// a stale search ends without touching the published state.
QCoro::Task<> DuplicateSearch::search(quint64 generation)
{
    QPointer<DuplicateSearch> self(this);
    QList<Track> scope;
    for (const Track &track : m_store.duplicateTracks()) {
        if (DuplicateFiles::isInScope(track.url, duplicateSearchRoots(m_store)))
            scope.append(track);
    }
    setDuplicateScanTotalCount(m_store, scope.size());
    if (scope.size() < 2) {
        setDuplicateScanProgress(m_store, 1.0);
        co_return;
    }
    QList<QUuid> ids;
    for (const Track &track : std::as_const(scope))
        ids.append(track.id);
    co_await refreshDuplicateMetadata(ids, generation);
    if (!self || !isCurrent(generation))
        co_return;

    setDuplicateScanPhase(m_store, Phase::preparing);
    setDuplicateScanProcessedCount(m_store, 0);
    raiseProgress(kPreparingStart);
    co_await Scheduler::yield();
    if (!self || !isCurrent(generation))
        co_return;
    // Futures are made before the await: GCC 12 mishandles lambda temporaries in co_await.
    QFuture<QList<DuplicateFiles::SizedFile>> sizing =
        QtConcurrent::run([scope] { return DuplicateFiles::sizeFiles(scope); });
    const QList<DuplicateFiles::SizedFile> sized = co_await sizing;
    if (!self || !isCurrent(generation))
        co_return;
    QList<Candidate> candidates;
    QSet<QUuid> aliases;
    for (qsizetype i = 0; i < scope.size(); ++i) {
        if (sized[i].aliasOf)
            aliases.insert(scope[i].id);
        // Empty files are not compared: every empty file would match every other.
        else if (sized[i].byteCount && *sized[i].byteCount > 0)
            candidates.append({scope[i].id, scope[i].url, *sized[i].byteCount});
    }
    setDuplicateScanCandidateCount(m_store, candidates.size());
    if (candidates.size() < 2) {
        setDuplicateScanProgress(m_store, 1.0);
        co_return;
    }
    QFuture<QList<Candidate>> sorting =
        QtConcurrent::run([candidates] { return DuplicateFiles::sameSizeCandidates(candidates); });
    const QList<Candidate> sameSize = co_await sorting;
    if (!self || !isCurrent(generation))
        co_return;
    QFuture<QSet<qsizetype>> filtering =
        QtConcurrent::run([sameSize] { return DuplicateFiles::needFullDigest(sameSize); });
    const QSet<qsizetype> needed = co_await filtering;
    if (!self || !isCurrent(generation))
        co_return;
    const DuplicateFiles::DigestGroups digests = co_await hash(sameSize, needed, generation);
    if (!self || !isCurrent(generation))
        co_return;

    QList<AudioDuplicateGroup> groups = DuplicateFiles::duplicateGroups(digests);
    QSet<QUuid> grouped = aliases;
    for (const AudioDuplicateGroup &group : std::as_const(groups))
        grouped.unite(QSet<QUuid>(group.trackIDs.cbegin(), group.trackIDs.cend()));
    // The probable pass reads the records the metadata phase refreshed.
    QList<Track> remaining;
    for (const Track &captured : std::as_const(scope)) {
        if (grouped.contains(captured.id))
            continue;
        if (const std::optional<Track> current = duplicateTrack(m_store, captured.id))
            remaining.append(*current);
    }
    QFuture<QList<AudioDuplicateGroup>> matching = QtConcurrent::run(
        [remaining] { return DuplicateFiles::probableDuplicateGroups(remaining); });
    groups.append(co_await matching);
    if (!self || !isCurrent(generation))
        co_return;
    publish(std::move(groups));
    setDuplicateScanProgress(m_store, 1.0);
}

QCoro::Task<> DuplicateSearch::refreshDuplicateMetadata(QList<QUuid> ids, quint64 generation)
{
    QPointer<DuplicateSearch> self(this);
    // The per-file list updates below request no snapshot save until the phase ends.
    const LibraryStore::MetadataLoadScope loading(m_store);
    setDuplicateScanPhase(m_store, Phase::metadata);
    setDuplicateScanProcessedCount(m_store, 0);
    setDuplicateScanTotalCount(m_store, ids.size());
    const double count = static_cast<double>(ids.size());
    for (qsizetype k = 1; k <= ids.size(); ++k) {
        const std::optional<Track> track = duplicateTrack(m_store, ids[k - 1]);
        if (!track)
            continue;
        setDuplicateScanCurrentFile(m_store, fileName(track->url));
        const LoadedTrackMetadata loaded =
            co_await AudioMetadataLoadQueue::shared().load(track->url, track->tags);
        if (!self || !isCurrent(generation))
            co_return;
        QList<Track> tracks = m_store.duplicateTracks();
        for (Track &current : tracks) {
            if (current.id != track->id)
                continue;
            current.tags = loaded.tags;
            current.duration = loaded.duration;
            current.bitRate = loaded.bitRate;
            current.bitDepth = loaded.bitDepth;
            current.format = loaded.format;
            current.artwork = loaded.artworkData ? QImage::fromData(*loaded.artworkData) : QImage();
            m_store.setDuplicateTracks(std::move(tracks));
            break;
        }
        publishProgress(k, kMetadataStart + static_cast<double>(k) * kMetadataShare / count);
        co_await Scheduler::yield();
        if (!self || !isCurrent(generation))
            co_return;
    }
}

// A candidate whose first 4 KiB match no other's cannot share a digest; it counts as done
// without being read through.
QCoro::Task<DuplicateFiles::DigestGroups>
DuplicateSearch::hash(QList<Candidate> candidates, QSet<qsizetype> needed, quint64 generation)
{
    QPointer<DuplicateSearch> self(this);
    setDuplicateScanPhase(m_store, Phase::hashing);
    setDuplicateScanProcessedCount(m_store, 0);
    setDuplicateScanTotalCount(m_store, candidates.size());
    raiseProgress(kHashingStart);
    DuplicateFiles::DigestGroups digests;
    QHash<QString, qsizetype> digestIndex;
    const double count = static_cast<double>(candidates.size());
    for (qsizetype k = 1; k <= candidates.size(); ++k) {
        const Candidate candidate = candidates[k - 1];
        setDuplicateScanCurrentFile(m_store, fileName(candidate.url));
        std::optional<QString> digest;
        if (needed.contains(k - 1)) {
            QFuture<std::optional<QString>> hashing =
                QtConcurrent::run([url = candidate.url] { return DuplicateFiles::sha256(url); });
            digest = co_await hashing;
            if (!self || !isCurrent(generation))
                co_return digests;
        }
        if (digest) {
            const auto found = digestIndex.constFind(*digest);
            if (found == digestIndex.constEnd()) {
                digestIndex.insert(*digest, digests.size());
                digests.append({*digest, {candidate}});
            } else {
                digests[*found].second.append(candidate);
            }
        }
        publishProgress(k, kHashingStart + static_cast<double>(k) * kHashingShare / count);
        co_await Scheduler::yield();
        if (!self || !isCurrent(generation))
            co_return digests;
    }
    setDuplicateScanPhase(m_store, Phase::matching);
    setDuplicateScanCurrentFile(m_store, {});
    raiseProgress(kMatchingStart);
    co_await Scheduler::yield();
    co_return digests;
}

// Tracks that left the workspace while the search ran leave its groups too.
void DuplicateSearch::publish(QList<AudioDuplicateGroup> groups)
{
    QSet<QUuid> listed;
    for (const Track &track : m_store.duplicateTracks())
        listed.insert(track.id);
    QList<AudioDuplicateGroup> kept;
    for (AudioDuplicateGroup &group : groups) {
        group.trackIDs.removeIf([&listed](const QUuid &id) { return !listed.contains(id); });
        if (group.trackIDs.size() >= 2)
            kept.append(std::move(group));
    }
    setDuplicateGroups(m_store, std::move(kept));
}

} // namespace brivello
