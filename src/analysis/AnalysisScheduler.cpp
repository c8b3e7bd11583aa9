#include "AnalysisScheduler.h"

#include "library/AnalysisQueue.h"
#include "library/AudioPlayer.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"

#include <cmath>

namespace brivello {

namespace {

const Track *findTrack(const QList<Track> &tracks, const QUuid &id)
{
    for (const Track &track : tracks) {
        if (track.id == id)
            return &track;
    }
    return nullptr;
}

} // namespace

AnalysisScheduler::AnalysisScheduler(LibraryStore &store, std::unique_ptr<AnalysisJobs> jobs)
    : QObject(&store)
    , m_store(store)
    , m_scheduler(store.services().schedulerService())
    , m_jobs(std::move(jobs))
{
    connect(&store.analysis(), &AnalysisQueues::qualityWorkRequested, this, [this] {
        startQualityWorkerIfPossible();
    });
    connect(&store.analysis(), &AnalysisQueues::qualityWorkCancelRequested, this, [this] {
        cancelQualityWorker();
    });
    connect(&store.analysis(), &AnalysisQueues::bpmWorkRequested, this, [this] {
        scheduleBPMNotification();
        startBPMWorkerIfPossible();
    });
    connect(&store, &LibraryStore::playbackStateChanged, this, [this](bool isPlaying) {
        playbackStateDidChange(isPlaying);
    });
}

// Runs from the store's QObject teardown, when the store is gone: touches only its own parts.
AnalysisScheduler::~AnalysisScheduler()
{
    m_bpmNotification.cancel();
    m_bpmWorkerRestart.cancel();
    m_resume.cancel();
    m_qualityJob.reset();
    m_bpmJob.reset();
}

bool AnalysisScheduler::playerPlays() const
{
    const AudioPlayer *player = m_store.audioPlayer();
    return player && player->isPlaying();
}

void AnalysisScheduler::publishAnalyzingIDs()
{
    if (m_store.analysis().analyzingQualityIDs() != m_store.analysis().qualityQueue().queued())
        m_store.analysis().setAnalyzingQualityIDs(m_store.analysis().qualityQueue().queued());
    if (m_store.analysis().analyzingBPMIDs() != m_store.analysis().bpmQueue().queued())
        m_store.analysis().setAnalyzingBPMIDs(m_store.analysis().bpmQueue().queued());
}

// --- Quality worker. ---

void AnalysisScheduler::startQualityWorkerIfPossible()
{
    if (m_qualityState != WorkerState::idle || playerPlays() ||
        !m_store.analysis().qualityQueue().hasPending())
        return;
    m_qualityState = WorkerState::running;
    runQualityWorker();
}

void AnalysisScheduler::runQualityWorker()
{
    AnalysisQueue &queue = m_store.analysis().qualityQueue();
    while (true) {
        if (m_qualityState == WorkerState::cancelled || playerPlays() || !queue.hasPending()) {
            exitQualityWorker();
            return;
        }
        const QUuid id = *queue.beginNext();
        const Track *track = findTrack(m_store.analysisTracks(), id);
        if (!track) {
            queue.finish();
            publishAnalyzingIDs();
            continue;
        }
        const LibrarySettings &settings = m_store.settings();
        m_qualityJob = m_jobs->startQuality(
            track->url,
            int(settings.analysisDFTWindow()),
            float(settings.analysisDensityRange()),
            [this, id](AnalysisJobs::QualityResult result) { qualityFinished(id, result); });
        return;
    }
}

void AnalysisScheduler::qualityFinished(const QUuid &id, AnalysisJobs::QualityResult result)
{
    m_qualityJob.reset();
    AnalysisQueue &queue = m_store.analysis().qualityQueue();
    const bool stillQueued = queue.inFlight() == id;
    if (m_qualityState == WorkerState::cancelled || playerPlays()) {
        // Interrupted, not failed: the track goes first once analysis may run again.
        if (stillQueued)
            queue.requeueFront();
        exitQualityWorker();
        return;
    }
    if (stillQueued)
        queue.finish();
    publishAnalyzingIDs();
    if (findTrack(m_store.analysisTracks(), id))
        storeQualityOutcome(id, std::move(result));
    runQualityWorker();
}

void AnalysisScheduler::storeQualityOutcome(const QUuid &id, AnalysisJobs::QualityResult result)
{
    if (result.analysis) {
        AnalysisQueues::QualityAnalyses analyses = m_store.analysis().qualityAnalyses();
        analyses.insert(id,
                        std::make_shared<const AudioQualityAnalysis>(std::move(*result.analysis)));
        m_store.analysis().setQualityAnalyses(std::move(analyses));
        return;
    }
    // A file that cannot be analysed is done: it says why and waits for the user to retry.
    AnalysisQueues::QualityFailures failures = m_store.analysis().qualityFailures();
    failures.insert(id,
                    result.failure.isEmpty() ? BrivelloLocalization::string(QStringLiteral(
                                                   "Не удалось проанализировать файл."))
                                             : result.failure);
    m_store.analysis().setQualityFailures(std::move(failures));
}

void AnalysisScheduler::exitQualityWorker()
{
    m_qualityJob.reset();
    m_qualityState = WorkerState::idle;
    publishAnalyzingIDs();
    if (!playerPlays())
        startQualityWorkerIfPossible();
}

void AnalysisScheduler::cancelQualityWorker()
{
    if (m_qualityState != WorkerState::running)
        return;
    m_qualityState = WorkerState::cancelled;
    if (m_qualityJob)
        m_qualityJob->cancel();
}

// --- Tempo worker. ---

void AnalysisScheduler::startBPMWorkerIfPossible()
{
    if (m_bpmState != WorkerState::idle || !m_store.analysis().bpmQueue().hasPending())
        return;
    m_bpmState = WorkerState::running;
    runBPMWorker();
}

void AnalysisScheduler::runBPMWorker()
{
    AnalysisQueue &queue = m_store.analysis().bpmQueue();
    while (true) {
        if (m_bpmState == WorkerState::cancelled || !queue.hasPending()) {
            exitBPMWorker();
            return;
        }
        const QUuid id = *queue.beginNext();
        const Track *track = findTrack(m_store.tracks(), id);
        if (!track || !track->tags.bpm.trimmed().isEmpty()) {
            queue.finish();
            publishAnalyzingIDs();
            scheduleBPMNotification();
            continue;
        }
        const bool lowImpact = playerPlays();
        m_bpmLowImpact = lowImpact;
        m_bpmJob =
            m_jobs->startTempo(track->url, lowImpact, [this, id](AnalysisJobs::TempoResult result) {
                bpmFinished(id, std::move(result));
            });
        return;
    }
}

void AnalysisScheduler::bpmFinished(const QUuid &id, AnalysisJobs::TempoResult result)
{
    m_bpmJob.reset();
    m_bpmLowImpact.reset();
    AnalysisQueue &queue = m_store.analysis().bpmQueue();
    if (m_bpmState == WorkerState::cancelled) {
        if (queue.inFlight() == id)
            queue.requeueFront();
        exitBPMWorker();
        return;
    }
    // A tempo without a whole-number text is no estimate.
    if (result && !std::isfinite(result->bpm))
        result.reset();
    const bool inLibrary = findTrack(m_store.tracks(), id) != nullptr;
    if (result && inLibrary) {
        queue.finish();
        m_bpmAttempts.remove(id);
        storeEstimate(id, *result);
    } else if (!inLibrary || m_bpmAttempts.value(id, 0) != 0) {
        queue.finish();
    } else {
        m_bpmAttempts.insert(id, 1);
        queue.requeueBack();
    }
    publishAnalyzingIDs();
    scheduleBPMNotification();
    runBPMWorker();
}

void AnalysisScheduler::storeEstimate(const QUuid &id, const BPMAnalyzer::Estimate &estimate)
{
    QHash<QUuid, QString> estimates = m_store.analysis().estimatedBPMByTrackID();
    // std::llround rounds halves away from zero: 127.5 is "128".
    estimates.insert(id, QString::number(std::llround(estimate.bpm)));
    QHash<QUuid, double> confidences = m_store.analysis().estimatedBPMConfidenceByTrackID();
    confidences.insert(id, estimate.confidence);
    m_store.analysis().setEstimatedBPMByTrackID(std::move(estimates));
    m_store.analysis().setEstimatedBPMConfidenceByTrackID(std::move(confidences));
}

void AnalysisScheduler::exitBPMWorker()
{
    m_bpmJob.reset();
    m_bpmLowImpact.reset();
    m_bpmState = WorkerState::idle;
    publishAnalyzingIDs();
    if (m_store.analysis().bpmQueue().hasPending())
        scheduleBPMWorkerRestart();
}

void AnalysisScheduler::cancelBPMWorker()
{
    if (m_bpmState != WorkerState::running)
        return;
    m_bpmState = WorkerState::cancelled;
    if (m_bpmJob)
        m_bpmJob->cancel();
}

void AnalysisScheduler::scheduleBPMNotification()
{
    if (m_bpmNotification.isPending())
        return;
    m_bpmNotification = m_scheduler.after(kNotificationDelay, [this] {
        NotificationCenter::defaultCenter().post(brivelloBPMDidChange, &m_store);
    });
}

void AnalysisScheduler::scheduleBPMWorkerRestart()
{
    if (m_bpmWorkerRestart.isPending())
        return;
    const double delay = playerPlays() ? kRestartWhilePlaying : kRestartWhileStopped;
    m_bpmWorkerRestart = m_scheduler.after(delay, [this] { restartWhenWorkerEnded(); });
}

void AnalysisScheduler::restartWhenWorkerEnded()
{
    if (m_bpmState != WorkerState::idle) {
        m_bpmWorkerRestart = m_scheduler.after(kRestartPoll, [this] { restartWhenWorkerEnded(); });
        return;
    }
    startBPMWorkerIfPossible();
}

// --- Pacing around playback. ---

void AnalysisScheduler::playbackStateDidChange(bool isPlaying)
{
    m_resume.cancel();
    if (isPlaying) {
        cancelQualityWorker();
        if (m_bpmLowImpact == false)
            cancelBPMWorker();
        m_resume = m_scheduler.after(kResumeAfterStart, [this] { resumeAfterStart(1); });
    } else {
        if (m_bpmLowImpact == true)
            cancelBPMWorker();
        m_resume = m_scheduler.after(kResumeAfterStop, [this] { resumeAfterStop(1); });
    }
}

void AnalysisScheduler::resumeAfterStart(int sleeps)
{
    if (sleeps >= kResumeSleeps || !playerPlays())
        return;
    if (m_bpmState == WorkerState::idle) {
        startBPMWorkerIfPossible();
        return;
    }
    if (m_bpmState == WorkerState::running)
        return;
    m_resume = m_scheduler.after(kResumePoll, [this, sleeps] { resumeAfterStart(sleeps + 1); });
}

void AnalysisScheduler::resumeAfterStop(int sleeps)
{
    if (sleeps >= kResumeSleeps) {
        startQualityWorkerIfPossible();
        return;
    }
    if (playerPlays())
        return;
    if (m_bpmState == WorkerState::cancelled) {
        m_resume = m_scheduler.after(kResumePoll, [this, sleeps] { resumeAfterStop(sleeps + 1); });
        return;
    }
    startBPMWorkerIfPossible();
    startQualityWorkerIfPossible();
}

} // namespace brivello
