#pragma once

#include "AnalysisJobs.h"

namespace brivello {

// The real jobs: each analysis on its own thread, so playback and the interface come first:
// quality analysis and low-impact tempo estimation at background priority (nice 15 and the
// idle scheduling policy), full tempo estimation at utility priority (nice 5). The stop
// token of the job's thread reaches the analyser.
class ThreadedAnalysisJobs : public AnalysisJobs
{
public:
    enum class Priority { utility, background };
    static constexpr int kUtilityNiceness = 5;
    static constexpr int kBackgroundNiceness = 15;
    static constexpr double kTempoMinimum = 70.0;
    static constexpr double kTempoMaximum = 200.0;

    std::unique_ptr<Job> startQuality(const QUrl &url,
                                      int windowSize,
                                      float densityRangeDB,
                                      std::function<void(QualityResult)> done) override;
    std::unique_ptr<Job>
    startTempo(const QUrl &url, bool lowImpact, std::function<void(TempoResult)> done) override;

    // Lowers the calling thread to `priority`.
    static void applyPriority(Priority priority);
};

} // namespace brivello
