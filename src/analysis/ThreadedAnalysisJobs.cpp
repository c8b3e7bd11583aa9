#include "ThreadedAnalysisJobs.h"

#include "AnalysisError.h"
#include "AudioQualityAnalyzer.h"
#include "platform/LocalFile.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace brivello {

namespace {

// One analysis on its own thread. Destroying the job stops and joins the thread; `alive`
// (main thread only) then keeps an already posted report from running.
class ThreadJob : public AnalysisJobs::Job
{
public:
    template <typename Result, typename Work>
    ThreadJob(Work work, std::function<void(Result)> done, void (*lowerPriority)())
    {
        auto alive = m_alive;
        m_thread =
            std::jthread([work = std::move(work), done = std::move(done), alive, lowerPriority](
                             std::stop_token stop) mutable {
                lowerPriority();
                Result result;
                try {
                    result = work(stop);
                } catch (...) {
                    result = Result{};
                }
                if (stop.stop_requested())
                    result = Result{};
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [done = std::move(done), alive, result = std::move(result)]() mutable {
                        if (*alive)
                            done(std::move(result));
                    },
                    Qt::QueuedConnection);
            });
    }
    ~ThreadJob() override
    {
        *m_alive = false;
        m_thread.request_stop();
    }
    void cancel() override { m_thread.request_stop(); }

private:
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    std::jthread m_thread;
};

void backgroundPriority()
{
    ThreadedAnalysisJobs::applyPriority(ThreadedAnalysisJobs::Priority::background);
}

void utilityPriority()
{
    ThreadedAnalysisJobs::applyPriority(ThreadedAnalysisJobs::Priority::utility);
}

} // namespace

std::unique_ptr<AnalysisJobs::Job> ThreadedAnalysisJobs::startQuality(
    const QUrl &url, int windowSize, float densityRangeDB, std::function<void(QualityResult)> done)
{
    auto work = [url, windowSize, densityRangeDB](std::stop_token stop) -> QualityResult {
        try {
            return AudioQualityAnalyzer::analyze(url, windowSize, densityRangeDB, stop);
        } catch (const AnalysisError &error) {
            return QualityResult::failed(
                AudioQualityAnalyzer::failureReason(LocalFile::path(url), error));
        }
    };
    return std::make_unique<ThreadJob>(std::move(work), std::move(done), &backgroundPriority);
}

std::unique_ptr<AnalysisJobs::Job> ThreadedAnalysisJobs::startTempo(
    const QUrl &url, bool lowImpact, std::function<void(TempoResult)> done)
{
    auto work = [url, lowImpact](std::stop_token stop) -> TempoResult {
        return BPMAnalyzer::estimateDetailed(url, kTempoMinimum, kTempoMaximum, lowImpact, stop);
    };
    return std::make_unique<ThreadJob>(
        std::move(work), std::move(done), lowImpact ? &backgroundPriority : &utilityPriority);
}

void ThreadedAnalysisJobs::applyPriority(Priority priority)
{
    // Niceness first: a thread under SCHED_IDLE keeps it, and it orders the two classes even
    // where the idle policy is refused.
    const int niceness = priority == Priority::utility ? kUtilityNiceness : kBackgroundNiceness;
    // On Linux the niceness of PRIO_PROCESS with a thread id is that thread's own.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), niceness);
    if (priority == Priority::background) {
        sched_param param{};
        param.sched_priority = 0;
        pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
    }
}

} // namespace brivello
