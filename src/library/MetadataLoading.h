#pragma once

#include "audiofiles/LoadedTrackMetadata.h"
#include "library/MetadataDestination.h"
#include "library/MetadataLoadLedger.h"
#include "records/Track.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QUrl>
#include <QUuid>
#include <coroutine>
#include <functional>
#include <memory>
#include <qcoro/qcorotask.h>

namespace brivello {

class LibraryStore;

// The store's metadata loading: one main-thread operation per call reads its files through
// the load queue, several at once, and applies the results in order, 50 at a time, to the
// list they were scheduled for. Part of LibraryStore.
class MetadataLoading
{
public:
    // Results are applied this many at a time.
    static constexpr int kMetadataBatchSize = 50;
    // The most files one pool task reads in a row.
    static constexpr qsizetype kLoadGroupSize = 16;

    explicit MetadataLoading(LibraryStore &store);

    // Reads the files' metadata in the background and applies it to the destination list.
    void scheduleMetadataLoads(const QList<Track> &tracks, MetadataDestination destination);
    // The store's services may take the loads instead (tests that only look at what would be
    // read); otherwise scheduleMetadataLoads.
    void startMetadataLoads(const QList<Track> &tracks, MetadataDestination destination);
    // An import's loads fed chunk by chunk: one load operation, as scheduleMetadataLoads with
    // all the tracks would be, whose reading starts with the first chunk fed instead of after
    // the last one. Null when the store's services take the loads (they get the whole list).
    struct Feed;
    std::shared_ptr<Feed> openFeed(MetadataDestination destination);
    void feed(const std::shared_ptr<Feed> &feed, const QList<Track> &tracks);
    void closeFeed(const std::shared_ptr<Feed> &feed);
    // Ends once no library load of `url` is due (or the store is gone).
    QCoro::Task<> libraryLoadsSettled(QUrl url);
    bool isLoading() const { return m_ledger.isLoading(); }
    bool isApplyingBatch() const { return m_isApplyingBatch; }
    // Wakes every coroutine waiting for a load or for more of a feed, when the store goes.
    void wakeWaiters();

    // Writes loaded metadata the store did not load itself (the duplicate finder's) into a
    // list as a batch: the save requests of `apply` are ignored, as for the store's batches.
    void applyAsBatch(const std::function<void()> &apply);

    // Counts a metadata load the store does not run itself (the duplicate finder's) as one of
    // its load operations for as long as it lives; the last operation to end requests a save.
    class Scope
    {
    public:
        explicit Scope(LibraryStore &store);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        QPointer<LibraryStore> m_store;
    };

private:
    struct MetadataLoadEntry
    {
        QUuid id;
        QUrl url;
        AudioTags tags; // as scheduled: the fallback, and the base of the per-field merge
    };
    // co_await FeedAwaiter{feed}: resumes, from the event loop, once the feed grows or closes.
    struct FeedAwaiter
    {
        Feed *feed;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> handle);
        void await_resume() const noexcept {}
    };
    static void wake(Feed &feed);
    struct PendingMetadataResult
    {
        QUuid id;
        QUrl url;
        AudioTags scheduledTags;
        LoadedTrackMetadata metadata;
        QImage artwork; // decoded off the main thread
    };

    // The group's cover pictures decoded off the main thread, a null image where it has none.
    static QCoro::Task<QList<QImage>> decodeArtwork(const QList<LoadedTrackMetadata> &group);

    // Ends one load operation; the last one to end requests the snapshot save.
    void finishMetadataLoadOperation();
    void startFeed(Feed &feed, const QList<Track> &tracks);
    QCoro::Task<> runMetadataLoads(std::shared_ptr<Feed> feed);
    void applyMetadataBatch(const QList<PendingMetadataResult> &batch,
                            MetadataDestination destination);

    LibraryStore &m_store;
    MetadataLoadLedger m_ledger;
    bool m_isApplyingBatch = false;
    // Feeds still open, woken when the store goes.
    QList<std::shared_ptr<Feed>> m_openFeeds;
    // Per destination: where the position after the last applied result was.
    qsizetype m_nextPosition[3] = {0, 0, 0};
};

} // namespace brivello
