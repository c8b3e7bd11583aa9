#include "AudioMetadataLoadQueue.h"

#include "AudioMetadataLoader.h"
#include "records/Track.h"

#include <QCoreApplication>
#include <QCoroFuture>
#include <QThread>
#include <QtConcurrent>

namespace brivello {

namespace {

void assertMainThread()
{
    Q_ASSERT(!QCoreApplication::instance() ||
             QThread::currentThread() == QCoreApplication::instance()->thread());
}

LoadedTrackMetadata fallbackResult(const QUrl &url, const AudioTags &fallbackTags)
{
    LoadedTrackMetadata result;
    result.tags = fallbackTags;
    result.format = Track::formatLabel(url);
    return result;
}

} // namespace

AudioMetadataLoadQueue::AudioMetadataLoadQueue(Reader reader, int concurrencyLimit)
    : m_concurrencyLimit(concurrencyLimit)
    , m_reader(reader ? std::move(reader) : Reader(&AudioMetadataLoader::read))
{}

int AudioMetadataLoadQueue::defaultConcurrencyLimit()
{
    return std::max(kMinimumConcurrency, QThread::idealThreadCount());
}

AudioMetadataLoadQueue &AudioMetadataLoadQueue::shared()
{
    static AudioMetadataLoadQueue queue;
    return queue;
}

bool AudioMetadataLoadQueue::PermitAwaiter::await_ready() const noexcept
{
    assertMainThread();
    if (queue->m_activeCount < queue->m_concurrencyLimit) {
        ++queue->m_activeCount;
        return true;
    }
    return false;
}

void AudioMetadataLoadQueue::PermitAwaiter::await_suspend(std::coroutine_handle<> handle)
{
    queue->m_waiters.push_back(handle);
}

void AudioMetadataLoadQueue::releasePermit()
{
    assertMainThread();
    if (!m_waiters.empty()) {
        const std::coroutine_handle<> next = m_waiters.front();
        m_waiters.pop_front();
        // Resumed from the event loop, not inside the releasing caller's stack.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [next] { next.resume(); }, Qt::QueuedConnection);
        return;
    }
    m_activeCount = std::max(m_activeCount - 1, 0);
}

QCoro::Task<LoadedTrackMetadata> AudioMetadataLoadQueue::load(QUrl url, AudioTags fallbackTags)
{
    // A named task: GCC 12 mishandles temporaries inside co_await expressions.
    QCoro::Task<QList<LoadedTrackMetadata>> reading = load(QList<Request>{{url, fallbackTags}});
    QList<LoadedTrackMetadata> results = co_await reading;
    co_return results.front();
}

QCoro::Task<QList<LoadedTrackMetadata>>
AudioMetadataLoadQueue::load(QList<AudioMetadataLoadQueue::Request> requests)
{
    co_await acquirePermit();
    const Reader reader = m_reader;
    const auto readAll = [reader, requests] {
        QList<LoadedTrackMetadata> results;
        results.reserve(requests.size());
        for (const Request &request : requests) {
            try {
                results.append(reader(request.url, request.fallbackTags));
            } catch (...) {
                results.append(fallbackResult(request.url, request.fallbackTags));
            }
        }
        return results;
    };
    QList<LoadedTrackMetadata> results;
    // Whatever the reading does, the permit goes back: a lost one would stall every later load.
    try {
        QFuture<QList<LoadedTrackMetadata>> reading = QtConcurrent::run(readAll);
        results = co_await reading;
    } catch (...) {
        results.clear();
        for (const Request &request : std::as_const(requests))
            results.append(fallbackResult(request.url, request.fallbackTags));
    }
    releasePermit();
    co_return results;
}

} // namespace brivello
