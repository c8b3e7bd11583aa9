#pragma once

#include "AudioQualityAnalysis.h"
#include "BPMAnalyzer.h"

#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

namespace brivello {

// Runs the analysers off the main thread for the analysis scheduler; tests pass a fake that
// they release by hand. Every started job reports exactly once, on the main thread, with no
// result when the analyser failed or was cancelled.
class AnalysisJobs
{
public:
    using QualityResult = std::optional<AudioQualityAnalysis>;
    using TempoResult = std::optional<BPMAnalyzer::Estimate>;

    // A started job. cancel() asks it to stop early; dropping the handle also stops it and
    // suppresses a report not delivered yet.
    class Job
    {
    public:
        virtual ~Job() = default;
        virtual void cancel() = 0;
    };

    virtual ~AnalysisJobs() = default;
    virtual std::unique_ptr<Job> startQuality(const QUrl &url,
                                              int windowSize,
                                              float densityRangeDB,
                                              std::function<void(QualityResult)> done) = 0;
    virtual std::unique_ptr<Job>
    startTempo(const QUrl &url, bool lowImpact, std::function<void(TempoResult)> done) = 0;
};

} // namespace brivello
