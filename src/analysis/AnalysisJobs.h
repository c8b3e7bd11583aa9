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
    // The analysis, or nothing; `failure` says why a file could not be analysed (empty when
    // the job was cancelled or gave no reason).
    struct QualityResult
    {
        QualityResult() = default;
        QualityResult(std::nullopt_t) {}
        QualityResult(AudioQualityAnalysis result)
            : analysis(std::move(result))
        {}
        static QualityResult failed(QString reason)
        {
            QualityResult result;
            result.failure = std::move(reason);
            return result;
        }

        std::optional<AudioQualityAnalysis> analysis;
        QString failure;
    };
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
