#pragma once

#include "AnalysisJobs.h"

namespace brivello {

// The real jobs: each analysis on its own thread, quality analysis at idle scheduling
// priority and tempo estimation at nice 10, so playback and the interface come first. The
// stop token of the job's thread reaches the analyser.
class ThreadedAnalysisJobs : public AnalysisJobs
{
public:
    static constexpr int kTempoNiceness = 10;
    static constexpr double kTempoMinimum = 70.0;
    static constexpr double kTempoMaximum = 200.0;

    std::unique_ptr<Job> startQuality(const QUrl &url,
                                      int windowSize,
                                      float densityRangeDB,
                                      std::function<void(QualityResult)> done) override;
    std::unique_ptr<Job>
    startTempo(const QUrl &url, bool lowImpact, std::function<void(TempoResult)> done) override;
};

} // namespace brivello
