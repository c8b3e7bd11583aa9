#pragma once

#include "LoadedTrackMetadata.h"

#include <QUrl>
#include <coroutine>
#include <deque>
#include <functional>
#include <qcoro/qcorotask.h>

namespace brivello {

// Lets as many metadata loads run at once as it has permits (the application's shared queue:
// one per core, at least two), served first come first served. A main-thread object: permits
// are awaited by main-thread coroutines, the reading itself runs on the thread pool, so no
// pool thread ever waits for a permit.
class AudioMetadataLoadQueue
{
public:
    static constexpr int kMinimumConcurrency = 2;

    // Reads a file's metadata on a pool thread.
    using Reader = std::function<LoadedTrackMetadata(const QUrl &, const AudioTags &)>;

    // An empty reader is the real one (AudioMetadataLoader::read).
    explicit AudioMetadataLoadQueue(Reader reader = {},
                                    int concurrencyLimit = defaultConcurrencyLimit());
    AudioMetadataLoadQueue(const AudioMetadataLoadQueue &) = delete;
    AudioMetadataLoadQueue &operator=(const AudioMetadataLoadQueue &) = delete;

    // The application's queue: the real reader, one permit per core.
    static AudioMetadataLoadQueue &shared();
    // One per core, never fewer than kMinimumConcurrency.
    static int defaultConcurrencyLimit();

    // The number of permits.
    int concurrencyLimit() const { return m_concurrencyLimit; }

    // Takes a permit, reads the file off the main thread, returns the permit.
    QCoro::Task<LoadedTrackMetadata> load(QUrl url, AudioTags fallbackTags);

    struct Request
    {
        QUrl url;
        AudioTags fallbackTags;
    };
    // Takes one permit and reads the files one after another in one pool task, so a long
    // list costs the main thread one wake-up per group instead of one per file. The results
    // come in the order of the requests; a file whose reading throws gets its fallback.
    QCoro::Task<QList<LoadedTrackMetadata>> load(QList<Request> requests);

    // co_await acquirePermit(); ... releasePermit();  A resumed waiter owns the permit that
    // was handed to it; releasing with waiters passes the permit on without lowering the count.
    struct PermitAwaiter
    {
        AudioMetadataLoadQueue *queue;
        bool await_ready() const noexcept;
        void await_suspend(std::coroutine_handle<> handle);
        void await_resume() const noexcept {}
    };
    PermitAwaiter acquirePermit() { return PermitAwaiter{this}; }
    void releasePermit();

    int activeCount() const { return m_activeCount; }
    int waiterCount() const { return static_cast<int>(m_waiters.size()); }

private:
    int m_concurrencyLimit;
    int m_activeCount = 0;
    std::deque<std::coroutine_handle<>> m_waiters;
    Reader m_reader;
};

} // namespace brivello
