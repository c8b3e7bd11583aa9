#include "WaveformPreloadQueue.h"

#include "audiofiles/OperationCancelled.h"
#include "waveform/WaveformCache.h"

#include <QPointer>

namespace brivello {

namespace {

// The process's waveform cache; the envelope is dropped, the call only fills the cache.
class SharedWaveformCache : public WaveformPreloadQueue::Cache
{
public:
    QCoro::Task<> load(QUrl url, bool lowImpact) override
    {
        co_await WaveformCache::shared().samples(url, lowImpact);
    }
    void cancelLoading(const QUrl &url) override { WaveformCache::shared().cancelLoading(url); }
};

} // namespace

WaveformPreloadQueue::WaveformPreloadQueue(std::shared_ptr<Cache> cache,
                                           Scheduler &scheduler,
                                           QObject *parent)
    : QObject(parent)
    , m_cache(cache ? std::move(cache) : std::make_shared<SharedWaveformCache>())
    , m_scheduler(scheduler)
{}

WaveformPreloadQueue::~WaveformPreloadQueue()
{
    m_resumeTask.cancel();
}

WaveformPreloadQueue &WaveformPreloadQueue::shared()
{
    static WaveformPreloadQueue *queue = new WaveformPreloadQueue;
    return *queue;
}

void WaveformPreloadQueue::enqueue(const QUrl &url)
{
    if (m_queued.contains(url))
        return;
    m_queued.insert(url);
    m_pending.append(url);
    startAvailableWork();
}

void WaveformPreloadQueue::enqueue(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls) {
        if (m_queued.contains(url))
            continue;
        m_queued.insert(url);
        m_pending.append(url);
    }
    startAvailableWork();
}

void WaveformPreloadQueue::startAvailableWork()
{
    while (m_running < kConcurrencyLimit) {
        qsizetype index = -1;
        if (!m_playbackActive) {
            index = m_pending.isEmpty() ? -1 : 0;
        } else {
            for (qsizetype i = 0; i < m_pending.size() && index < 0; ++i) {
                if (m_playbackPriorityURLs.contains(m_pending[i]))
                    index = i;
            }
        }
        if (index < 0)
            return;
        const QUrl url = m_pending.takeAt(index);
        ++m_running;
        m_activeURL = url;
        m_activeGeneration = ++m_nextGeneration;
        runJob(url, m_playbackActive, m_activeGeneration);
    }
}

QCoro::Task<> WaveformPreloadQueue::runJob(QUrl url, bool lowImpact, quint64 generation)
{
    QPointer<WaveformPreloadQueue> self(this);
    // The cache outlives the queue's destruction while a job still runs.
    std::shared_ptr<Cache> cache = m_cache;
    bool cancelled = false;
    try {
        co_await cache->load(url, lowImpact);
    } catch (const OperationCancelled &) {
        cancelled = true;
    } catch (...) {
        // A failure counts as finished; the cache keeps its own retry rule.
    }
    if (self)
        self->finish(url, generation, cancelled);
}

void WaveformPreloadQueue::finish(const QUrl &url, quint64 generation, bool cancelled)
{
    if (!m_activeURL || *m_activeURL != url || generation != m_activeGeneration)
        return;
    m_running = std::max(m_running - 1, 0);
    m_activeURL.reset();
    if (cancelled) {
        // Someone else stopped the shared extraction (the panel leaving that track): the file
        // still wants its envelope, after the others.
        m_pending.append(url);
    } else {
        m_queued.remove(url);
        m_playbackPriorityURLs.remove(url);
    }
    startAvailableWork();
}

void WaveformPreloadQueue::setPlaybackActive(bool active, const QUrl &currentURL)
{
    m_playbackActive = active;
    m_resumeTask.cancel();
    if (!active) {
        m_playbackPriorityURLs.clear();
        m_resumeTask = m_scheduler.after(kResumeDelay, [this] {
            if (!m_playbackActive)
                startAvailableWork();
        });
        return;
    }
    if (!m_activeURL || (!currentURL.isEmpty() && *m_activeURL == currentURL))
        return;
    // Any other file's job yields to the playing track; it waits at the front.
    const QUrl interrupted = *m_activeURL;
    m_activeURL.reset();
    m_running = 0;
    m_cache->cancelLoading(interrupted);
    m_pending.removeAll(interrupted);
    m_pending.prepend(interrupted);
    // The files that follow the playing one may already be waiting (the panel prioritised
    // them before the play began); with nobody else to start them they would wait for ever.
    startAvailableWork();
}

void WaveformPreloadQueue::prioritizePlayback(const QUrl &currentURL,
                                              const QList<QUrl> &followingURLs)
{
    const QList<QUrl> following = followingURLs.mid(0, 2);
    m_playbackPriorityURLs = QSet<QUrl>(following.begin(), following.end());
    QList<QUrl> front;
    for (const QUrl &url : QList<QUrl>{currentURL} + following) {
        const qsizetype index = m_pending.indexOf(url);
        if (index >= 0) {
            m_pending.removeAt(index);
            front.append(url);
        } else if (!m_queued.contains(url)) {
            m_queued.insert(url);
            front.append(url);
        }
    }
    if (front.isEmpty())
        return;
    m_pending = front + m_pending;
    startAvailableWork();
}

} // namespace brivello
