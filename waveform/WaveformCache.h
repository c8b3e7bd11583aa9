#pragma once

#include "platform/Scheduler.h"

#include <QCache>
#include <QHash>
#include <QUrl>
#include <QUuid>
#include <coroutine>
#include <functional>
#include <memory>
#include <qcoro/qcorotask.h>
#include <stop_token>
#include <vector>

namespace brivello {

// Hands out the 4096-point envelope of an audio file: from memory (250 entries), from its
// disk file, or from one shared extraction that every caller for the file joins. A file whose
// extraction failed is refused for 30 s. A main-thread object; disk access and extraction run
// on pool threads, and only the extraction still entitled by its generation stores results.
// An instance outlives the requests made to it (the shared one lives for the process).
class WaveformCache
{
public:
    static constexpr int kCachedSampleCount = 4096;
    static constexpr int kMemoryCountLimit = 250;
    static constexpr double kFailedRetryDelay = 30.0;

    using Extractor = std::function<QCoro::Task<std::vector<float>>(
        QUrl url, int sampleCount, bool lowImpact, std::stop_token stop)>;

    static WaveformCache &shared();

    // The 30 s block runs on `scheduler`'s clock.
    WaveformCache(QString diskCacheDirectory,
                  Extractor extractor,
                  Scheduler &scheduler = Scheduler::shared(),
                  qint64 diskLimitBytes = qint64(128) * 1024 * 1024);
    ~WaveformCache();
    WaveformCache(const WaveformCache &) = delete;
    WaveformCache &operator=(const WaveformCache &) = delete;

    // Throws WaveformCacheError, OperationCancelled or the extraction's error. `lowImpact`
    // lowers the priority of an extraction this call starts.
    QCoro::Task<std::vector<float>> samples(QUrl url, bool lowImpact);
    // Stops the extraction in flight for the file (its decoder child included) and forgets
    // it; the memory entry, the disk file and a retry block stay. Calls for the file still
    // reading its disk file count as joined to it: they fail with OperationCancelled too.
    void cancelLoading(const QUrl &url);

    QString diskCacheDirectory() const { return m_diskCacheDirectory; }
    bool isLoading(const QUrl &url) const { return m_loadingTasks.contains(url); }

private:
    struct CacheEntry
    {
        std::vector<float> fullSamples;
    };
    struct Extraction
    {
        QUuid generation;
        std::stop_source stop;
        WaveformCache *owner = nullptr;
        bool finished = false;
        std::vector<float> values;
        std::exception_ptr error;
        std::vector<std::coroutine_handle<>> waiters;
    };
    // Calls reading a file's disk envelope, and the cancels for the file since the first of
    // them began; kept only while one reads.
    struct DiskReaders
    {
        int count = 0;
        quint64 cancels = 0;
    };
    // One call's disk read: counted among the file's readers from its start to end().
    struct DiskRead
    {
        DiskRead(WaveformCache &owner, const QUrl &file);
        ~DiskRead() { end(); }
        DiskRead(const DiskRead &) = delete;
        DiskRead &operator=(const DiskRead &) = delete;
        // True when a cancel for the file came while the read lasted.
        bool end();

        WaveformCache *cache;
        QUrl url;
        quint64 cancelsAtStart = 0;
    };
    // Waits for an extraction; a waiter whose coroutine goes away takes only itself off.
    struct ExtractionAwaiter
    {
        std::shared_ptr<Extraction> extraction;
        std::coroutine_handle<> handle;
        bool await_ready() const noexcept { return extraction->finished; }
        void await_suspend(std::coroutine_handle<> waiter);
        std::vector<float> await_resume();
        ~ExtractionAwaiter();
    };

    QCoro::Task<> runExtraction(std::shared_ptr<Extraction> extraction,
                                QUrl url,
                                bool lowImpact,
                                std::optional<QString> diskFile);
    // Runs on the main thread when an extraction ends; true when it was still entitled.
    bool settle(const Extraction &extraction, const QUrl &url);

    QCache<QUrl, CacheEntry> m_cache;
    QHash<QUrl, std::shared_ptr<Extraction>> m_loadingTasks;
    QHash<QUrl, double> m_failedRetryDates; // on m_scheduler's clock
    // A call whose disk read a cancel overtook must not start a fresh extraction nobody
    // asked for.
    QHash<QUrl, DiskReaders> m_diskReaders;
    QString m_diskCacheDirectory;
    Extractor m_extractor;
    Scheduler &m_scheduler;
    qint64 m_diskLimitBytes;
};

} // namespace brivello
