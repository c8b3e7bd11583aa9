#include "BPMAnalyzer.h"

#include "AnalysisError.h"
#include "audiofiles/AudioPCMDecoder.h"
#include "audiofiles/OperationCancelled.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>
#include <thread>

namespace brivello {

namespace {

const QString kDomain = QStringLiteral("Brivello.BPM");

AnalysisError bpmError(BPMAnalyzer::ErrorCode code, const char *description = nullptr)
{
    return AnalysisError(kDomain, code, description ? QString::fromUtf8(description) : QString());
}

float mean(const std::vector<float> &values)
{
    return std::accumulate(values.begin(), values.end(), 0.0f) / float(values.size());
}

double foldedLag(double lag)
{
    return BPMAnalyzer::fold(BPMAnalyzer::kLagToTempo / lag);
}

// Scores of every lag through `top` for one section: one array per feature.
using SectionScores = std::array<std::vector<float>, BPMAnalyzer::kFeatureCount>;

SectionScores
sectionScores(const BPMAnalyzer::OnsetSection &section, int minimumLag, int top, bool lowImpact)
{
    SectionScores scores;
    for (int f = 0; f < BPMAnalyzer::kFeatureCount; ++f) {
        const std::vector<float> &envelope = section.features[size_t(f)];
        const float w = f == 2 ? 0.7f : 0.57f;
        const std::vector<float> a = BPMAnalyzer::autocorrelationScores(envelope, top, lowImpact);
        const std::vector<float> p =
            BPMAnalyzer::peakIntervalScores(envelope, minimumLag, top, lowImpact);
        std::vector<float> &out = scores[size_t(f)];
        out.resize(size_t(top) + 1);
        for (size_t l = 0; l < out.size(); ++l)
            out[l] = w * a[l] + (1 - w) * p[l];
    }
    return scores;
}

// Everything the candidate scores draw on.
struct Periodicity
{
    std::vector<SectionScores> features;      // per kept section
    std::vector<std::vector<float>> combined; // per kept section, weighted over features
    std::array<std::vector<float>, BPMAnalyzer::kFeatureCount> consensus;
    std::array<int, BPMAnalyzer::kFeatureCount> bestLag{};
    int top = 0;
};

float consensusAt(const std::vector<float> &values, double medianShare)
{
    return float(medianShare) * BPMAnalyzer::median(values) + float(1 - medianShare) * mean(values);
}

void buildConsensus(Periodicity &p, int minimumLag)
{
    const size_t common = size_t(p.top) + 1;
    for (int f = 0; f < BPMAnalyzer::kFeatureCount; ++f) {
        std::vector<float> &consensus = p.consensus[size_t(f)];
        consensus.assign(common, 0.0f);
        std::vector<float> values;
        for (int l = minimumLag; l <= p.top; ++l) {
            values.clear();
            for (const SectionScores &section : p.features)
                values.push_back(section[size_t(f)][size_t(l)]);
            consensus[size_t(l)] = consensusAt(values, 0.7);
        }
        const float largest = *std::max_element(consensus.begin() + minimumLag, consensus.end());
        if (largest > 0) {
            for (float &value : consensus)
                value /= largest;
        }
        int best = minimumLag;
        for (int l = minimumLag; l <= p.top; ++l) {
            if (BPMAnalyzer::harmonicSupport(l, consensus) >
                BPMAnalyzer::harmonicSupport(best, consensus))
                best = l;
        }
        p.bestLag[size_t(f)] = best;
    }
}

std::vector<BPMAnalyzer::LagCandidate> lagCandidates(const Periodicity &p, int minimumLag)
{
    std::vector<BPMAnalyzer::LagCandidate> candidates;
    std::vector<float> values;
    for (int l = minimumLag; l <= p.top; ++l) {
        values.clear();
        for (const std::vector<float> &section : p.combined)
            values.push_back(section[size_t(l)]);
        const float average = mean(values);
        double variance = 0;
        for (float value : values)
            variance += (double(value) - average) * (double(value) - average);
        variance /= double(values.size());
        candidates.push_back(
            {l, consensusAt(values, 0.72), float(std::exp(-4.5 * std::sqrt(variance)))});
    }
    return candidates;
}

BPMAnalyzer::ScoredCandidate
scoreCandidate(const BPMAnalyzer::LagCandidate &c,
               const std::vector<BPMAnalyzer::LagCandidate> &candidates,
               const Periodicity &p,
               const std::vector<BPMAnalyzer::OnsetSection> &sections,
               bool lowImpact)
{
    const int lag = c.lag;
    auto neighbour = [&candidates](int near) {
        return BPMAnalyzer::neighborScore(near, candidates);
    };
    std::vector<float> grid;
    for (const BPMAnalyzer::OnsetSection &section : sections) {
        float sum = 0;
        for (size_t f = 0; f < size_t(BPMAnalyzer::kFeatureCount); ++f)
            sum += BPMAnalyzer::kFeatureWeights[f] *
                   BPMAnalyzer::beatGridFitness(section.features[f], double(lag), lowImpact);
        grid.push_back(sum);
    }
    const float gridMedian = BPMAnalyzer::median(grid);
    int agreeing = 0;
    std::vector<float> support;
    for (size_t f = 0; f < size_t(BPMAnalyzer::kFeatureCount); ++f) {
        agreeing += std::abs(foldedLag(p.bestLag[f]) - foldedLag(lag)) <= 3;
        support.push_back(BPMAnalyzer::harmonicSupport(lag, p.consensus[f]));
    }
    const float featureAgreement = 0.2f * float(agreeing) / 5.0f;
    const int half = lag > 1 ? lag / 2 : 1;
    const float score =
        c.periodicity + 0.24f * neighbour(2 * lag) + 0.12f * neighbour(3 * lag) +
        0.12f * neighbour(half) +
        0.16f * std::max(c.periodicity - std::max(neighbour(lag - 2), neighbour(lag + 2)), 0.0f) +
        0.12f * c.agreement + 0.25f * gridMedian + featureAgreement +
        0.16f * BPMAnalyzer::median(support);
    return {c, score, gridMedian};
}

// Silence has flat envelopes, and every lag would tie; no tempo is better than a guess.
bool isFlat(const std::vector<BPMAnalyzer::OnsetSection> &sections)
{
    return std::all_of(sections.begin(), sections.end(), [](const auto &section) {
        return std::all_of(
            section.features.begin(), section.features.end(), [](const auto &feature) {
                return std::all_of(feature.begin(), feature.end(), [](float v) { return v == 0; });
            });
    });
}

// Lag scores of every section with lags above the minimum, merged over the features.
Periodicity measurePeriodicity(const std::vector<BPMAnalyzer::OnsetSection> &sections,
                               int minimumLag,
                               int maximumLag,
                               bool lowImpact)
{
    Periodicity p;
    for (const BPMAnalyzer::OnsetSection &section : sections) {
        const int top = std::min(int(section.frameCount()) - 2, maximumLag);
        if (minimumLag < top)
            p.features.push_back(sectionScores(section, minimumLag, top, lowImpact));
    }
    if (p.features.empty())
        throw bpmError(BPMAnalyzer::tooFewFrames,
                       "Недостаточно ритмического материала для определения BPM.");
    size_t common = p.features[0][0].size();
    for (const SectionScores &scores : p.features) {
        std::vector<float> combined(scores[0].size(), 0.0f);
        for (size_t l = 0; l < combined.size(); ++l) {
            for (size_t f = 0; f < size_t(BPMAnalyzer::kFeatureCount); ++f)
                combined[l] += BPMAnalyzer::kFeatureWeights[f] * scores[f][l];
        }
        common = std::min(common, combined.size());
        p.combined.push_back(std::move(combined));
    }
    p.top = int(common) - 1;
    if (p.top <= minimumLag)
        throw bpmError(BPMAnalyzer::noCommonLag);
    return p;
}

// NaN scores rank last, so the order stays a strict weak order.
float rankKey(float score)
{
    return std::isnan(score) ? -std::numeric_limits<float>::infinity() : score;
}

} // namespace

BPMAnalyzer::Estimate BPMAnalyzer::estimateDetailed(
    const QUrl &url, double minimum, double maximum, bool lowImpact, std::stop_token stop)
{
    if (!(minimum > 0 && minimum < maximum))
        throw bpmError(invalidRange, "Некорректный диапазон BPM.");
    std::vector<float> samples =
        AudioPCMDecoder::monoSamples(url, kSampleRate, kMaximumDuration, lowImpact, stop);
    if (stop.stop_requested())
        throw OperationCancelled();
    // A damaged float file may hold NaN or infinities; they would poison every score.
    for (float &sample : samples) {
        if (!std::isfinite(sample))
            sample = 0;
    }
    return estimateFromSamples(samples, minimum, maximum, lowImpact, stop);
}

BPMAnalyzer::Estimate BPMAnalyzer::estimateFromSamples(const std::vector<float> &samples,
                                                       double minimum,
                                                       double maximum,
                                                       bool lowImpact,
                                                       std::stop_token stop)
{
    if (!(minimum > 0 && minimum < maximum))
        throw bpmError(invalidRange, "Некорректный диапазон BPM.");
    const int minimumLag = std::max(int(std::round(kLagToTempo / std::max(maximum, 280.0))), 1);
    const int maximumLag = int(std::round(kLagToTempo / minimum));
    const std::vector<OnsetSection> sections =
        analysisSections(samples, kSampleRate, kFFTSize, kHopSize, lowImpact, stop);
    if (sections.empty())
        throw bpmError(tooLittleAudio, "Недостаточно аудиоданных для определения BPM.");

    if (isFlat(sections))
        throw bpmError(tooFewFrames, "Недостаточно ритмического материала для определения BPM.");
    Periodicity p = measurePeriodicity(sections, minimumLag, maximumLag, lowImpact);
    buildConsensus(p, minimumLag);

    const std::vector<LagCandidate> candidates = lagCandidates(p, minimumLag);
    if (candidates.empty())
        throw bpmError(noCandidate);
    std::vector<ScoredCandidate> ranked;
    for (size_t j = 0; j < candidates.size(); ++j) {
        if (lowImpact && j % 4 == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(1000));
        ranked.push_back(scoreCandidate(candidates[j], candidates, p, sections, lowImpact));
    }
    std::stable_sort(
        ranked.begin(), ranked.end(), [](const ScoredCandidate &a, const ScoredCandidate &b) {
            return rankKey(a.score) > rankKey(b.score);
        });
    const Estimate estimate = chooseTempo(ranked, candidates);
    if (!std::isfinite(estimate.bpm))
        throw bpmError(noScoredCandidate);
    return estimate;
}

} // namespace brivello
