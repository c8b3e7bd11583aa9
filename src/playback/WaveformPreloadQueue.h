#pragma once

#include "platform/Scheduler.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QUrl>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>

namespace brivello {

// Queue of audio files whose waveform envelopes are computed ahead of playback (the
// application's is shared()): one job at a time; while audio plays only the priority files,
// in the cache's low-impact mode; the rest resumes a while after playback stops. Main thread.
class WaveformPreloadQueue : public QObject
{
    Q_OBJECT
public:
    static constexpr int kConcurrencyLimit = 1;
    static constexpr double kResumeDelay = 0.6;

    // The two cache operations the queue uses; tests pass a fake.
    class Cache
    {
    public:
        virtual ~Cache() = default;
        // Fills the cache with the file's envelope; may throw, which the queue ignores.
        virtual QCoro::Task<> load(QUrl url, bool lowImpact) = 0;
        virtual void cancelLoading(const QUrl &url) = 0;
    };

    // Without a cache the queue works on WaveformCache::shared(); the resume delay runs on
    // `scheduler`.
    explicit WaveformPreloadQueue(std::shared_ptr<Cache> cache = nullptr,
                                  Scheduler &scheduler = Scheduler::shared(),
                                  QObject *parent = nullptr);
    ~WaveformPreloadQueue() override;

    // The application's queue, on WaveformCache::shared().
    static WaveformPreloadQueue &shared();

    // Queues each address once (exact comparison); an address already queued is ignored.
    virtual void enqueue(const QList<QUrl> &urls);
    void enqueue(const QUrl &url);
    virtual void setPlaybackActive(bool active, const QUrl &currentURL);
    // Moves the playing file and the two after it to the front; only those two may be worked
    // on while audio plays.
    virtual void prioritizePlayback(const QUrl &currentURL, const QList<QUrl> &followingURLs);

    QList<QUrl> pendingURLs() const { return m_pending; }
    std::optional<QUrl> activeURL() const { return m_activeURL; }
    bool isQueued(const QUrl &url) const { return m_queued.contains(url); }

private:
    void startAvailableWork();
    QCoro::Task<> runJob(QUrl url, bool lowImpact, quint64 generation);
    void finish(const QUrl &url, quint64 generation, bool cancelled);

    std::shared_ptr<Cache> m_cache;
    Scheduler &m_scheduler;
    QList<QUrl> m_pending;
    QSet<QUrl> m_queued;
    int m_running = 0;
    std::optional<QUrl> m_activeURL;
    // Each job carries the generation it was started with; a late finish of a cancelled job
    // no longer matches, also when a newer job works on the same file.
    quint64 m_activeGeneration = 0;
    quint64 m_nextGeneration = 0;
    bool m_playbackActive = false;
    QSet<QUrl> m_playbackPriorityURLs;
    ScheduledWork m_resumeTask;
};

} // namespace brivello
