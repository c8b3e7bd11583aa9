#include "MetadataLoading.h"

#include "audiofiles/AudioMetadataLoadQueue.h"
#include "library/LibraryStore.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCoroFuture>
#include <QImageReader>
#include <QScopedValueRollback>
#include <QTimer>
#include <QtConcurrent>
#include <deque>

namespace brivello {

namespace {

// Tracks keep their cover only for thumbnails: decoding at a bounded size keeps a library of
// thousands of tagged files from holding every full-size picture in memory.
constexpr int kCoverThumbnailEdge = 256;

QImage decodeCoverThumbnail(const QByteArray &data)
{
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() &&
        (size.width() > kCoverThumbnailEdge || size.height() > kCoverThumbnailEdge))
        reader.setScaledSize(
            size.scaled(kCoverThumbnailEdge, kCoverThumbnailEdge, Qt::KeepAspectRatio));
    return reader.read();
}

// Fields the user changed after the load was scheduled keep the user's value; the others take
// what the file holds (which already falls back to the scheduled value).
AudioTags mergeTags(const AudioTags &current, const AudioTags &scheduled, const AudioTags &loaded)
{
    AudioTags merged = current;
    for (int i = 0; i < AudioTags::kFieldCount; ++i) {
        if (current.field(i) == scheduled.field(i))
            merged.field(i) = loaded.field(i);
    }
    return merged;
}

} // namespace

QCoro::Task<QList<QImage>> MetadataLoading::decodeArtwork(const QList<LoadedTrackMetadata> &group)
{
    QList<QByteArray> pictures;
    pictures.reserve(group.size());
    bool any = false;
    for (const LoadedTrackMetadata &metadata : group) {
        pictures.append(metadata.artworkData.value_or(QByteArray()));
        any = any || !pictures.last().isEmpty();
    }
    if (!any)
        co_return QList<QImage>(group.size());
    // One pool task for the group's pictures, off the main thread.
    QFuture<QList<QImage>> decoding = QtConcurrent::run([pictures = std::move(pictures)] {
        QList<QImage> images;
        images.reserve(pictures.size());
        for (const QByteArray &data : pictures)
            images.append(data.isEmpty() ? QImage() : decodeCoverThumbnail(data));
        return images;
    });
    co_return co_await decoding;
}

MetadataLoading::MetadataLoading(LibraryStore &store)
    : m_store(store)
{}

struct MetadataLoading::Feed
{
    MetadataDestination destination = MetadataDestination::library;
    QList<MetadataLoadEntry> entries;
    bool closed = false;
    std::coroutine_handle<> waiter; // the reading, waiting for more
};

void MetadataLoading::FeedAwaiter::await_suspend(std::coroutine_handle<> handle)
{
    feed->waiter = handle;
}

void MetadataLoading::wake(Feed &feed)
{
    // Resumed from the event loop, never inside the caller that fed or closed it.
    if (const std::coroutine_handle<> waiter = std::exchange(feed.waiter, {}))
        QTimer::singleShot(0, QCoreApplication::instance(), [waiter] { waiter.resume(); });
}

void MetadataLoading::wakeWaiters()
{
    m_ledger.wakeWaiters();
    for (const std::shared_ptr<Feed> &open : std::exchange(m_openFeeds, {}))
        wake(*open);
}

void MetadataLoading::scheduleMetadataLoads(const QList<Track> &tracks,
                                            MetadataDestination destination)
{
    if (tracks.isEmpty())
        return;
    const auto all = std::make_shared<Feed>();
    all->destination = destination;
    all->closed = true;
    m_store.session().cancelPendingSave();
    startFeed(*all, tracks);
    runMetadataLoads(all);
}

std::shared_ptr<MetadataLoading::Feed> MetadataLoading::openFeed(MetadataDestination destination)
{
    if (m_store.m_services.metadataLoads)
        return nullptr;
    auto open = std::make_shared<Feed>();
    open->destination = destination;
    m_openFeeds.append(open);
    return open;
}

void MetadataLoading::feed(const std::shared_ptr<Feed> &feed, const QList<Track> &tracks)
{
    if (!feed || feed->closed || tracks.isEmpty())
        return;
    const bool first = feed->entries.isEmpty();
    startFeed(*feed, tracks);
    if (first)
        runMetadataLoads(feed);
    else
        wake(*feed);
}

void MetadataLoading::closeFeed(const std::shared_ptr<Feed> &feed)
{
    if (!feed || feed->closed)
        return;
    feed->closed = true;
    m_openFeeds.removeOne(feed);
    // As when all the tracks are scheduled at once: the load's end requests the save.
    if (!feed->entries.isEmpty())
        m_store.session().cancelPendingSave();
    wake(*feed);
}

void MetadataLoading::startFeed(Feed &feed, const QList<Track> &tracks)
{
    // The load operation begins with the first tracks fed.
    const bool first = feed.entries.isEmpty();
    // Later chunks grow the list geometrically: an exact reserve would copy it every time.
    if (first)
        feed.entries.reserve(tracks.size());
    for (const Track &track : tracks) {
        feed.entries.append({track.id, track.url, track.tags});
        if (feed.destination == MetadataDestination::library)
            m_ledger.addDue(track.url);
    }
    if (first)
        m_ledger.beginOperation();
}

QCoro::Task<> MetadataLoading::runMetadataLoads(std::shared_ptr<Feed> feed)
{
    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    const MetadataDestination destination = feed->destination;
    const QList<MetadataLoadEntry> &entries = feed->entries;
    // Starts from the event loop: a load that finishes at once must not apply its results
    // inside the caller, before the caller's own list assignments.
    co_await Scheduler::yield();
    if (!guard.alive())
        co_return;
    QList<PendingMetadataResult> batch;
    batch.reserve(kMetadataBatchSize);
    // Files are read in groups, one pool task and one permit each, as many groups at once as
    // the queue has permits: every core reads, and the main thread wakes once per group
    // rather than once per file. Results are still taken, and applied, in the given order.
    AudioMetadataLoadQueue &queue = m_store.m_services.loadService();
    const qsizetype groupsAtOnce = std::max(1, queue.concurrencyLimit());
    // Small lists still spread over every permit; long ones, and feeds whose length is not
    // known yet, read up to kLoadGroupSize a group.
    const qsizetype groupSize =
        feed->closed ? std::clamp<qsizetype>(entries.size() / (2 * groupsAtOnce), 1, kLoadGroupSize)
                     : kLoadGroupSize;
    std::deque<QCoro::Task<QList<LoadedTrackMetadata>>> reading;
    qsizetype next = 0;
    qsizetype taken = 0;
    while (true) {
        while (next < entries.size() && qsizetype(reading.size()) < groupsAtOnce) {
            QList<AudioMetadataLoadQueue::Request> group;
            const qsizetype end = std::min(entries.size(), next + groupSize);
            group.reserve(end - next);
            for (; next < end; ++next)
                group.append({entries[next].url, entries[next].tags});
            reading.push_back(queue.load(std::move(group)));
        }
        if (reading.empty()) {
            if (feed->closed)
                break;
            co_await FeedAwaiter{feed.get()};
            if (!guard.alive())
                co_return;
            continue;
        }
        QCoro::Task<QList<LoadedTrackMetadata>> loading = std::move(reading.front());
        reading.pop_front();
        QList<LoadedTrackMetadata> group = co_await loading;
        if (!guard.alive())
            co_return;
        QList<QImage> artwork = co_await decodeArtwork(group);
        if (!guard.alive())
            co_return;
        for (qsizetype i = 0; i < group.size(); ++i) {
            const MetadataLoadEntry &entry = entries[taken++];
            batch.append(
                {entry.id, entry.url, entry.tags, std::move(group[i]), std::move(artwork[i])});
            if (batch.size() == kMetadataBatchSize) {
                applyMetadataBatch(batch, destination);
                batch.clear();
                co_await Scheduler::yield();
                if (!guard.alive())
                    co_return;
            }
        }
    }
    if (!batch.isEmpty())
        applyMetadataBatch(batch, destination);
    finishMetadataLoadOperation();
}

void MetadataLoading::finishMetadataLoadOperation()
{
    if (m_ledger.endOperation())
        m_store.session().scheduleWorkspaceSave();
}

MetadataLoading::Scope::Scope(LibraryStore &store)
    : m_store(&store)
{
    store.metadataLoading().m_ledger.beginOperation();
}

MetadataLoading::Scope::~Scope()
{
    if (m_store)
        m_store->metadataLoading().finishMetadataLoadOperation();
}

void MetadataLoading::applyAsBatch(const std::function<void()> &apply)
{
    const QScopedValueRollback applying(m_isApplyingBatch, true);
    apply();
}

void MetadataLoading::applyMetadataBatch(const QList<PendingMetadataResult> &batch,
                                         MetadataDestination destination)
{
    const QScopedValueRollback applying(m_isApplyingBatch, true);
    // Taken out of the store, not copied: writing into a shared list would copy every track
    // of the library for each batch. The store gets it back in one assignment below.
    QList<Track> &source = destination == MetadataDestination::library ? m_store.m_tracks
                           : destination == MetadataDestination::analysis
                               ? m_store.m_analysisTracks
                               : m_store.m_duplicateTracks;
    QList<Track> list = std::move(source);
    source = QList<Track>();
    // Results come in list order as a rule (imports append, restores keep the order): the
    // next position is tried first, the id index is built only when that misses.
    QHash<QUuid, qsizetype> index;
    qsizetype &next = m_nextPosition[int(destination)];
    const auto positionOf = [&](const QUuid &id) -> qsizetype {
        if (next < list.size() && list.at(next).id == id)
            return next;
        if (index.isEmpty()) {
            index.reserve(list.size());
            for (qsizetype i = 0; i < list.size(); ++i)
                index.insert(list.at(i).id, i);
        }
        return index.value(id, -1);
    };

    QSet<QUuid> ids;
    QList<qsizetype> changed;
    changed.reserve(batch.size());
    for (const PendingMetadataResult &result : batch) {
        ids.insert(result.id);
        const qsizetype found = positionOf(result.id);
        if (found < 0)
            continue;
        next = found + 1;
        changed.append(found);
        Track &track = list[found];
        track.tags = mergeTags(track.tags, result.scheduledTags, result.metadata.tags);
        track.duration = result.metadata.duration;
        track.bitRate = result.metadata.bitRate;
        track.bitDepth = result.metadata.bitDepth;
        track.format = result.metadata.format;
        if (track.artwork.isNull() && !result.artwork.isNull())
            track.artwork = result.artwork;
    }

    switch (destination) {
    case MetadataDestination::library: {
        // Only contents change here: the views may look at these tracks alone.
        const QList<qsizetype> positions = changed;
        m_store.setTrackContents(std::move(list), std::move(changed));
        const quint64 revision = m_store.m_tracksRevision;
        QList<QUrl> urls;
        for (const PendingMetadataResult &result : batch)
            urls.append(result.url);
        m_ledger.settle(urls);
        NotificationCenter::defaultCenter().post(brivelloTrackMetadataDidChange);
        // The batch's positions hold while nobody assigned the list since; else search by id.
        if (m_store.m_tracksRevision == revision)
            m_store.detectBPM(positions);
        else
            m_store.detectBPM(ids);
        break;
    }
    case MetadataDestination::analysis:
        m_store.setAnalysisTracks(std::move(list));
        break;
    case MetadataDestination::duplicates:
        m_store.setDuplicateTracks(std::move(list));
        break;
    }
}

QCoro::Task<> MetadataLoading::libraryLoadsSettled(QUrl url)
{
    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    // A waiter resumed after the store is gone sees it gone and ends.
    while (guard.alive() && m_ledger.isDue(url))
        co_await m_ledger.nextSettle();
}

void MetadataLoading::startMetadataLoads(const QList<Track> &tracks,
                                         MetadataDestination destination)
{
    if (m_store.m_services.metadataLoads) {
        m_store.m_services.metadataLoads(tracks, destination);
        return;
    }
    scheduleMetadataLoads(tracks, destination);
}

} // namespace brivello
