#include "DuplicateSearch.h"

#include "audiofiles/AudioMetadataLoadQueue.h"
#include "library/LibraryStore.h"
#include "library/MetadataLoading.h"
#include "platform/BrivelloLocalization.h"
#include "platform/LocalFile.h"
#include "platform/Scheduler.h"
#include "workspaces/DuplicateHasher.h"
#include "workspaces/DuplicateSearchFields.h"

#include <QCoreApplication>
#include <QCoroFuture>
#include <QFileInfo>
#include <QPointer>
#include <QtConcurrent>
#include <algorithm>
#include <deque>
#include <utility>

namespace brivello {

namespace {

QString fileName(const QUrl &url)
{
    return LocalFile::displayName(QFileInfo(LocalFile::path(url)).fileName());
}

// Reads one file's metadata under the load queue's permits and makes its artwork image off the
// main thread; the fields the metadata phase refreshes, on a copy of `track`.
QCoro::Task<Track> refreshedRecord(AudioMetadataLoadQueue *queue, Track track)
{
    const LoadedTrackMetadata loaded = co_await queue->load(track.url, track.tags);
    track.tags = loaded.tags;
    track.duration = loaded.duration;
    track.bitRate = loaded.bitRate;
    track.bitDepth = loaded.bitDepth;
    track.format = loaded.format;
    track.artwork = QImage();
    if (loaded.artworkData) {
        QFuture<QImage> decoding =
            QtConcurrent::run([data = *loaded.artworkData] { return QImage::fromData(data); });
        track.artwork = co_await decoding;
    }
    co_return track;
}
} // namespace

// What the hashing threads tell the main thread: at most one queued call pending at a time.
struct DuplicateSearch::HashingFeed
{
    DuplicateHasher::Progress progress;
    std::atomic<bool> posted = false;
    std::function<void()> deliver; // main thread only
};

DuplicateSearch::DuplicateSearch(LibraryStore &store)
    : QObject(&store)
    , m_store(store)
    , m_throttle(store.services().schedulerService(), [this] { publishShown(); })
{}

DuplicateSearch::~DuplicateSearch()
{
    invalidate();
}

void DuplicateSearch::invalidate()
{
    ++m_generation;
    m_throttle.cancel();
    m_refreshed.clear();
    m_found.reset();
    m_unreadable.clear();
    if (m_hashing) {
        m_hashing->progress.cancelled = true;
        m_hashing->deliver = nullptr;
        m_hashing.reset();
    }
}

void DuplicateSearch::findDuplicates()
{
    if (isSearchingDuplicates(m_store))
        return;
    m_shown = Shown{};
    editDuplicateSearch(m_store, [](DuplicateSearchState &state) {
        state.groups = {};
        state.phase = Phase::preparing;
        state.currentFile = {};
        state.progress = 0;
        state.candidateCount = 0;
        state.processedCount = 0;
        state.totalCount = 0;
        state.isSearching = true;
    });
    invalidate();
    [](QCoro::Task<> task) -> QCoro::Task<> { co_await task; }(run(m_generation));
}

QCoro::Task<> DuplicateSearch::run(quint64 generation)
{
    QPointer<DuplicateSearch> self(this);
    const QList<QUrl> roots = duplicateSearchRoots(m_store);
    co_await search(generation);
    if (self)
        endSearch(isCurrent(generation),
                  isCurrent(generation) && duplicateSearchRoots(m_store) == roots);
}

// The groups, the last progress and the end of the search go out as one update: each update
// redraws the results. A stale search leaves what a clear has set.
void DuplicateSearch::endSearch(bool current, bool covered)
{
    m_throttle.cancel();
    std::optional<QList<AudioDuplicateGroup>> found = std::exchange(m_found, std::nullopt);
    const QList<QUuid> unreadable = std::exchange(m_unreadable, {});
    editDuplicateSearch(m_store, [&](DuplicateSearchState &state) {
        if (current) {
            state.progress = m_shown.progress;
            state.processedCount = m_shown.processedCount;
            state.totalCount = m_shown.totalCount;
        }
        if (current && found)
            state.groups = std::move(*found);
        state.isSearching = false;
        state.currentFile.clear();
        state.phase = Phase::idle;
        state.hasSearched = covered;
    });
    if (current)
        reportUnreadable(unreadable);
    emit searchFinished();
}

// A file that went away or changed while the search ran is in no group; the status line says
// how many, counting only those still listed.
void DuplicateSearch::reportUnreadable(const QList<QUuid> &unreadable)
{
    const auto skipped = std::count_if(unreadable.cbegin(),
                                       unreadable.cend(),
                                       [this](const QUuid &id) { return indexOf(id) >= 0; });
    if (skipped == 0)
        return;
    m_store.showStatus(
        BrivelloLocalization::format(
            QStringLiteral("Пропущено файлов: %d · Пропали, изменились или не читаются"),
            int(skipped)),
        QStringLiteral("exclamationmark.triangle"),
        WorkspaceStatus::Tone::warning,
        5.0);
}

// The step's refreshed records first, then its counters, each in one store update.
void DuplicateSearch::publishShown()
{
    if (!m_refreshed.isEmpty()) {
        QList<Track> tracks = m_store.duplicateTracks();
        for (const Track &refreshed : std::as_const(m_refreshed)) {
            const qsizetype at = indexOf(refreshed.id);
            if (at < 0)
                continue;
            Track &track = tracks[at];
            track.tags = refreshed.tags;
            track.duration = refreshed.duration;
            track.bitRate = refreshed.bitRate;
            track.bitDepth = refreshed.bitDepth;
            track.format = refreshed.format;
            track.artwork = refreshed.artwork;
        }
        m_refreshed.clear();
        // Positions are unchanged, so the index stays good.
        const bool indexed = m_indexRevision == m_store.duplicateTracksRevision();
        // Published up to 20 times a second: a save request each would postpone every save,
        // the user's too, to the end of the phase, which requests one itself.
        m_store.metadataLoading().applyAsBatch(
            [&] { m_store.setDuplicateTracks(std::move(tracks)); });
        if (indexed)
            m_indexRevision = m_store.duplicateTracksRevision();
    }
    editDuplicateSearch(m_store, [shown = m_shown](DuplicateSearchState &state) {
        state.phase = shown.phase;
        state.progress = shown.progress;
        state.currentFile = shown.currentFile;
        state.processedCount = shown.processedCount;
        state.totalCount = shown.totalCount;
    });
}

void DuplicateSearch::show(Shown shown)
{
    m_shown = std::move(shown);
    m_throttle.publishNow();
}

void DuplicateSearch::raiseProgress(double floor)
{
    m_shown.progress = std::max(m_shown.progress, floor);
}

qsizetype DuplicateSearch::indexOf(const QUuid &id)
{
    const QList<Track> &tracks = m_store.duplicateTracks();
    if (m_indexRevision != m_store.duplicateTracksRevision()) {
        m_index.clear();
        m_index.reserve(tracks.size());
        // The first of repeated ids wins, as a front-to-back lookup would find it.
        for (qsizetype i = tracks.size() - 1; i >= 0; --i)
            m_index.insert(tracks[i].id, i);
        m_indexRevision = m_store.duplicateTracksRevision();
    }
    return m_index.value(id, -1);
}

// Every step after a suspension first checks that the store and the generation still hold;
// a stale search ends without touching the published state.
QCoro::Task<> DuplicateSearch::search(quint64 generation)
{
    QPointer<DuplicateSearch> self(this);
    QList<Track> scope =
        DuplicateFiles::tracksInScope(m_store.duplicateTracks(), duplicateSearchRoots(m_store));
    m_shown.totalCount = scope.size();
    if (scope.size() < 2) {
        m_shown.progress = 1.0;
        co_return;
    }
    publishShown();
    QList<QUuid> ids;
    ids.reserve(scope.size());
    for (const Track &track : std::as_const(scope))
        ids.append(track.id);
    co_await refreshDuplicateMetadata(ids, generation);
    if (!self || !isCurrent(generation))
        co_return;

    m_shown.phase = Phase::preparing;
    m_shown.processedCount = 0;
    m_shown.totalCount = scope.size();
    raiseProgress(kPreparingStart);
    show(m_shown);
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
        // A file gone since it was listed (or before) cannot be compared: it is reported.
        else if (!sized[i].byteCount)
            m_unreadable.append(scope[i].id);
        // Empty files are not compared: every empty file would match every other.
        else if (*sized[i].byteCount > 0)
            candidates.append({scope[i].id, scope[i].url, *sized[i].byteCount, sized[i].device});
    }
    setDuplicateScanCandidateCount(m_store, candidates.size());
    if (candidates.size() < 2) {
        m_shown.progress = 1.0;
        co_return;
    }
    QFuture<QList<Candidate>> sorting =
        QtConcurrent::run([candidates] { return DuplicateFiles::sameSizeCandidates(candidates); });
    const QList<Candidate> sameSize = co_await sorting;
    if (!self || !isCurrent(generation))
        co_return;
    const DuplicateFiles::DigestGroups digests = co_await hash(sameSize, generation);
    if (!self || !isCurrent(generation))
        co_return;

    QList<AudioDuplicateGroup> groups = DuplicateFiles::duplicateGroups(digests);
    QSet<QUuid> grouped = aliases;
    for (const AudioDuplicateGroup &group : std::as_const(groups))
        grouped.unite(QSet<QUuid>(group.trackIDs.cbegin(), group.trackIDs.cend()));
    scope.removeIf([&grouped](const Track &track) { return grouped.contains(track.id); });
    const QList<Track> remaining = currentRecords(scope);
    QFuture<QList<AudioDuplicateGroup>> matching = QtConcurrent::run(
        [remaining] { return DuplicateFiles::probableDuplicateGroups(remaining); });
    groups.append(co_await matching);
    if (!self || !isCurrent(generation))
        co_return;
    m_found = kept(std::move(groups));
    m_shown.progress = 1.0;
}

// The probable pass reads the records the metadata phase refreshed, of the tracks still listed.
QList<Track> DuplicateSearch::currentRecords(const QList<Track> &captured)
{
    QList<Track> current;
    current.reserve(captured.size());
    for (const Track &track : captured) {
        const qsizetype at = indexOf(track.id);
        if (at >= 0)
            current.append(m_store.duplicateTracks()[at]);
    }
    return current;
}

// Loads run a few ahead of the one applied, under the shared permits; results are applied in
// scope order, and published with the counters at most 20 times a second.
QCoro::Task<> DuplicateSearch::refreshDuplicateMetadata(QList<QUuid> ids, quint64 generation)
{
    QPointer<DuplicateSearch> self(this);
    // A load operation of the store's for as long as the phase runs: its end requests the
    // snapshot save that the refreshed records are written with.
    const MetadataLoading::Scope phaseLoad(m_store);
    m_shown.phase = Phase::metadata;
    m_shown.processedCount = 0;
    m_shown.totalCount = ids.size();
    show(m_shown);
    const double count = static_cast<double>(ids.size());
    std::deque<std::pair<qsizetype, QCoro::Task<Track>>> loading;
    // Enough waiting to keep every permit busy while one result is applied.
    AudioMetadataLoadQueue &queue = m_store.services().loadService();
    const size_t loadsAhead = size_t(queue.concurrencyLimit() + kMetadataLoadsAhead);
    qsizetype next = 0;
    for (;;) {
        while (loading.size() < loadsAhead && next < ids.size()) {
            const qsizetype at = indexOf(ids[next++]);
            if (at < 0)
                continue; // gone from the list: skipped, nothing published for it
            const Track &track = m_store.duplicateTracks()[at];
            m_shown.currentFile = fileName(track.url);
            loading.emplace_back(next, refreshedRecord(&queue, track));
        }
        if (loading.empty())
            break;
        const qsizetype k = loading.front().first;
        QCoro::Task<Track> task = std::move(loading.front().second);
        loading.pop_front();
        Track refreshed = co_await task;
        if (!self || !isCurrent(generation))
            co_return;
        m_refreshed.append(std::move(refreshed));
        m_shown.processedCount = k;
        m_shown.progress = kMetadataStart + static_cast<double>(k) * kMetadataShare / count;
        m_throttle.changed();
    }
    m_throttle.publishNow();
}

// The exact pass runs on its own threads; the main thread hears of each finished file through
// at most one queued call at a time and shows the count through the throttle.
QCoro::Task<DuplicateFiles::DigestGroups> DuplicateSearch::hash(QList<Candidate> candidates,
                                                                quint64 generation)
{
    QPointer<DuplicateSearch> self(this);
    m_shown.phase = Phase::hashing;
    m_shown.processedCount = 0;
    m_shown.totalCount = candidates.size();
    raiseProgress(kHashingStart);
    show(m_shown);
    DuplicateHasher::Result result;
    if (!candidates.isEmpty()) {
        const auto feed = std::make_shared<HashingFeed>();
        m_hashing = feed;
        feed->progress.changed = [weak = std::weak_ptr<HashingFeed>(feed)] {
            const std::shared_ptr<HashingFeed> shared = weak.lock();
            if (!shared || shared->posted.exchange(true))
                return;
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [shared] {
                    shared->posted = false;
                    if (shared->deliver)
                        shared->deliver();
                },
                Qt::QueuedConnection);
        };
        const double count = static_cast<double>(candidates.size());
        feed->deliver = [this, feed = feed.get(), &candidates, count] {
            const qint64 done = feed->progress.processed;
            const qsizetype current = feed->progress.current;
            if (current >= 0)
                m_shown.currentFile = fileName(candidates[current].url);
            m_shown.processedCount = done;
            m_shown.progress = kHashingStart + static_cast<double>(done) * kHashingShare / count;
            m_throttle.changed();
        };
        const int threads = DuplicateHasher::defaultThreadCount(candidates);
        QFuture<DuplicateHasher::Result> hashing = QtConcurrent::run([feed, candidates, threads] {
            return DuplicateHasher::group(candidates, threads, &feed->progress);
        });
        result = co_await hashing;
        if (!self || !isCurrent(generation))
            co_return {};
        feed->deliver = nullptr;
        m_hashing.reset();
        m_unreadable.append(result.unreadable);
        m_shown.processedCount = candidates.size();
        m_shown.progress = kHashingStart + kHashingShare;
        show(m_shown);
    }
    m_shown.phase = Phase::matching;
    m_shown.currentFile = {};
    raiseProgress(kMatchingStart);
    show(m_shown);
    co_await Scheduler::yield();
    co_return result.groups;
}

// Tracks that left the workspace while the search ran leave its groups too.
QList<AudioDuplicateGroup> DuplicateSearch::kept(QList<AudioDuplicateGroup> groups)
{
    QList<AudioDuplicateGroup> result;
    for (AudioDuplicateGroup &group : groups) {
        group.trackIDs.removeIf([this](const QUuid &id) { return indexOf(id) < 0; });
        if (group.trackIDs.size() >= 2)
            result.append(std::move(group));
    }
    return result;
}

} // namespace brivello
