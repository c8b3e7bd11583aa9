#pragma once

#include "AnalysisJobs.h"
#include "platform/Scheduler.h"

#include <QHash>
#include <QObject>
#include <QUuid>
#include <memory>
#include <optional>

namespace brivello {

class LibraryStore;
class AnalysisQueue;

// The store's background analysis: two workers, each a state machine on the main thread that
// takes one track at a time from its queue of the store (quality over the analysis list, tempo
// over the library) and hands it to a job off the main thread. Quality analysis never runs
// while the player plays; tempo estimation goes on in low-impact mode. A child of the store,
// which owns it; every delay runs on the store's scheduler.
class AnalysisScheduler : public QObject
{
    Q_OBJECT
public:
    // idle: no worker; running: a job is in flight; cancelled: its job is winding down.
    enum class WorkerState { idle, running, cancelled };

    static constexpr double kNotificationDelay = 0.1;
    static constexpr double kResumeAfterStart = 0.5;
    static constexpr double kResumeAfterStop = 0.6;
    static constexpr double kResumePoll = 0.1;
    static constexpr int kResumeSleeps = 50;
    static constexpr double kRestartWhilePlaying = 0.5;
    static constexpr double kRestartWhileStopped = 0.05;
    static constexpr double kRestartPoll = 0.05;

    AnalysisScheduler(LibraryStore &store, std::unique_ptr<AnalysisJobs> jobs);
    ~AnalysisScheduler() override;

    WorkerState qualityWorkerState() const { return m_qualityState; }
    WorkerState bpmWorkerState() const { return m_bpmState; }
    // The mode of the tempo estimation in flight; none while nothing is in flight.
    std::optional<bool> activeBPMAnalysisIsLowImpact() const { return m_bpmLowImpact; }
    const QHash<QUuid, int> &bpmAnalysisAttemptCounts() const { return m_bpmAttempts; }

private:
    bool playerPlays() const;
    void publishAnalyzingIDs();

    void startQualityWorkerIfPossible();
    void runQualityWorker();
    void qualityFinished(const QUuid &id, AnalysisJobs::QualityResult result);
    void storeQualityOutcome(const QUuid &id, AnalysisJobs::QualityResult result);
    void exitQualityWorker();
    void cancelQualityWorker();

    void startBPMWorkerIfPossible();
    void runBPMWorker();
    void bpmFinished(const QUuid &id, AnalysisJobs::TempoResult result);
    void storeEstimate(const QUuid &id, const BPMAnalyzer::Estimate &estimate);
    void exitBPMWorker();
    void cancelBPMWorker();
    void scheduleBPMNotification();
    void scheduleBPMWorkerRestart();
    void restartWhenWorkerEnded();

    void playbackStateDidChange(bool isPlaying);
    // One look after the `sleeps`-th sleep of the resume that follows a change.
    void resumeAfterStart(int sleeps);
    void resumeAfterStop(int sleeps);

    LibraryStore &m_store;
    Scheduler &m_scheduler; // the store's
    std::unique_ptr<AnalysisJobs> m_jobs;

    WorkerState m_qualityState = WorkerState::idle;
    std::unique_ptr<AnalysisJobs::Job> m_qualityJob;

    WorkerState m_bpmState = WorkerState::idle;
    std::unique_ptr<AnalysisJobs::Job> m_bpmJob;
    std::optional<bool> m_bpmLowImpact;
    // Failed estimations per track; kept when a track is dropped, so it gets one more try.
    QHash<QUuid, int> m_bpmAttempts;

    ScheduledWork m_bpmNotification;
    ScheduledWork m_bpmWorkerRestart;
    ScheduledWork m_resume;
};

} // namespace brivello
