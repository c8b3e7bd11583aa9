#include "WaveformCache.h"

#include "AudioProcessor.h"
#include "WaveformCacheError.h"
#include "WaveformDiskCache.h"
#include "audiofiles/OperationCancelled.h"

#include <QCoroFuture>
#include <QDir>
#include <QtConcurrent>

namespace brivello {

WaveformCache &WaveformCache::shared()
{
    static WaveformCache cache(WaveformDiskCache::defaultDirectory(),
                               &AudioProcessor::extractEnvelope);
    return cache;
}

WaveformCache::WaveformCache(QString diskCacheDirectory,
                             Extractor extractor,
                             Scheduler &scheduler,
                             qint64 diskLimitBytes)
    : m_diskCacheDirectory(std::move(diskCacheDirectory))
    , m_extractor(std::move(extractor))
    , m_scheduler(scheduler)
    , m_diskLimitBytes(diskLimitBytes)
{
    m_cache.setMaxCost(kMemoryCountLimit);
    QDir().mkpath(m_diskCacheDirectory); // a failure only makes later disk writes fail
}

WaveformCache::~WaveformCache()
{
    // Extractions still running finish on their own but no longer report here.
    for (const auto &extraction : std::as_const(m_loadingTasks)) {
        extraction->owner = nullptr;
        extraction->stop.request_stop();
    }
}

void WaveformCache::ExtractionAwaiter::await_suspend(std::coroutine_handle<> waiter)
{
    handle = waiter;
    extraction->waiters.push_back(waiter);
}

std::vector<float> WaveformCache::ExtractionAwaiter::await_resume()
{
    handle = {};
    if (extraction->error)
        std::rethrow_exception(extraction->error);
    return extraction->values;
}

WaveformCache::ExtractionAwaiter::~ExtractionAwaiter()
{
    if (handle)
        std::erase(extraction->waiters, handle);
}

WaveformCache::DiskRead::DiskRead(WaveformCache &owner, const QUrl &file)
    : cache(&owner)
    , url(file)
{
    DiskReaders &readers = cache->m_diskReaders[url];
    ++readers.count;
    cancelsAtStart = readers.cancels;
}

bool WaveformCache::DiskRead::end()
{
    if (!cache)
        return false;
    const auto readers = cache->m_diskReaders.find(url);
    const bool cancelled = readers->cancels != cancelsAtStart;
    if (--readers->count == 0)
        cache->m_diskReaders.erase(readers);
    cache = nullptr;
    return cancelled;
}

QCoro::Task<std::vector<float>> WaveformCache::samples(QUrl url, bool lowImpact)
{
    if (const CacheEntry *entry = m_cache.object(url))
        co_return entry->fullSamples;
    const double now = m_scheduler.now();
    if (const auto blocked = m_failedRetryDates.constFind(url);
        blocked != m_failedRetryDates.cend() && *blocked > now)
        throw WaveformCacheError::temporarilyUnavailable();

    DiskRead reading(*this, url);
    QFuture<WaveformDiskCache::Lookup> looking =
        QtConcurrent::run(&WaveformDiskCache::lookUp, url, m_diskCacheDirectory);
    WaveformDiskCache::Lookup lookup = co_await looking;
    const bool overtaken = reading.end();
    if (!lookup.readable) {
        m_failedRetryDates.insert(url, m_scheduler.now() + kFailedRetryDelay);
        throw WaveformCacheError::fileReadNoSuchFile();
    }
    if (lookup.envelope) {
        m_cache.insert(url, new CacheEntry{*lookup.envelope});
        co_return std::move(*lookup.envelope);
    }
    // Another call may have filled the memory cache while the disk was read.
    if (const CacheEntry *entry = m_cache.object(url))
        co_return entry->fullSamples;
    // Had the disk been read at once, this call would have joined the withdrawn extraction.
    if (overtaken)
        throw OperationCancelled();

    std::shared_ptr<Extraction> extraction = m_loadingTasks.value(url);
    if (!extraction) {
        extraction = std::make_shared<Extraction>();
        extraction->generation = QUuid::createUuid();
        extraction->owner = this;
        m_loadingTasks.insert(url, extraction);
        // Detached: it runs to its end whoever still waits for it.
        runExtraction(extraction, url, lowImpact, lookup.file);
    }
    ExtractionAwaiter waiting{extraction, {}};
    co_return co_await waiting;
}

QCoro::Task<> WaveformCache::runExtraction(std::shared_ptr<Extraction> extraction,
                                           QUrl url,
                                           bool lowImpact,
                                           std::optional<QString> diskFile)
{
    try {
        auto extracting =
            m_extractor(url, kCachedSampleCount, lowImpact, extraction->stop.get_token());
        extraction->values = co_await extracting;
    } catch (...) {
        extraction->error = std::current_exception();
    }
    WaveformCache *owner = extraction->owner;
    if (owner && owner->settle(*extraction, url) && !extraction->error && diskFile) {
        QFuture<void> saving = QtConcurrent::run(
            &WaveformDiskCache::save, extraction->values, *diskFile, owner->m_diskLimitBytes);
        co_await saving;
    }
    extraction->finished = true;
    const std::vector<std::coroutine_handle<>> waiters = std::exchange(extraction->waiters, {});
    for (const std::coroutine_handle<> waiter : waiters)
        waiter.resume();
}

bool WaveformCache::settle(const Extraction &extraction, const QUrl &url)
{
    const auto current = m_loadingTasks.constFind(url);
    if (current == m_loadingTasks.cend() || (*current)->generation != extraction.generation)
        return false;
    if (!extraction.error) {
        m_cache.insert(url, new CacheEntry{extraction.values});
        m_failedRetryDates.remove(url);
    } else {
        bool cancelled = extraction.stop.stop_requested();
        try {
            std::rethrow_exception(extraction.error);
        } catch (const OperationCancelled &) {
            cancelled = true;
        } catch (...) {
        }
        if (!cancelled)
            m_failedRetryDates.insert(url, m_scheduler.now() + kFailedRetryDelay);
    }
    m_loadingTasks.remove(url);
    return true;
}

void WaveformCache::cancelLoading(const QUrl &url)
{
    if (const auto readers = m_diskReaders.find(url); readers != m_diskReaders.end())
        ++readers->cancels;
    if (const std::shared_ptr<Extraction> extraction = m_loadingTasks.take(url))
        extraction->stop.request_stop();
}

} // namespace brivello
