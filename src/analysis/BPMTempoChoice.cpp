// BPMAnalyzer's last steps over ranked candidates: octave correction, promotion of slow
// readings to 140, confidence and alternatives.
#include "BPMAnalyzer.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace brivello {

namespace {

using Scored = BPMAnalyzer::ScoredCandidate;

struct Correction
{
    double factor;
    double tolerance;
    float ratio;
};

// Common octave confusions by the top candidate's folded tempo.
std::optional<Correction> correctionFor(double t)
{
    if (t < 93)
        return Correction{1.5, 5, 0.64f};
    if (t < 108)
        return std::nullopt;
    if (t <= 118)
        return Correction{0.75, 3, 0.72f};
    if (t < 129)
        return Correction{0.75, 5, 0.85f};
    if (t <= 131)
        return Correction{0.75, 3, 0.72f};
    return Correction{0.75, 5, 0.64f};
}

double tempoOf(const Scored &scored)
{
    return BPMAnalyzer::fold(BPMAnalyzer::kLagToTempo / scored.candidate.lag);
}

double refinedTempo(const Scored &scored, const std::vector<BPMAnalyzer::LagCandidate> &candidates)
{
    return BPMAnalyzer::fold(BPMAnalyzer::kLagToTempo /
                             BPMAnalyzer::refinedPeakLag(scored.candidate.lag, candidates));
}

} // namespace

BPMAnalyzer::Estimate BPMAnalyzer::chooseTempo(const std::vector<ScoredCandidate> &ranked,
                                               const std::vector<LagCandidate> &candidates)
{
    Estimate estimate;
    if (ranked.empty()) {
        estimate.bpm = std::nan("");
        return estimate;
    }
    const Scored &top = ranked.front();
    const float topScore = top.score > 1e-6f ? top.score : 1e-6f;
    auto ratio = [topScore](const Scored &s) { return s.score / topScore; };

    const Scored *chosen = &top;
    const double t = refinedTempo(top, candidates);
    if (const std::optional<Correction> correction = correctionFor(t)) {
        const double target = t * correction->factor;
        const auto near = std::find_if(ranked.begin(), ranked.end(), [&](const Scored &s) {
            return std::abs(tempoOf(s) - target) <= correction->tolerance;
        });
        if (near != ranked.end() && ratio(*near) >= correction->ratio)
            chosen = &*near;
    }

    const double c = refinedTempo(*chosen, candidates);
    estimate.bpm = c;
    if (c <= 72) {
        const float needed = c == 70 ? 0.6f : 0.75f;
        const bool fast = std::any_of(ranked.begin(), ranked.end(), [&](const Scored &s) {
            const double tempo = tempoOf(s);
            return tempo >= 134 && tempo <= 140 && ratio(s) >= needed;
        });
        if (fast)
            estimate.bpm = 140.0;
    }

    const auto competitor = std::find_if(ranked.begin(), ranked.end(), [&](const Scored &s) {
        return s.candidate.lag != chosen->candidate.lag && std::abs(tempoOf(s) - c) >= 2;
    });
    const float margin =
        competitor != ranked.end() ? chosen->score - competitor->score : chosen->score;
    const double confidence =
        0.18 * std::min(6.0 * std::max(double(margin), 0.0) /
                            std::max(std::abs(double(chosen->score)), 1e-6),
                        1.0) +
        0.34 * double(chosen->candidate.agreement) +
        0.48 * std::min(std::max(double(chosen->candidate.periodicity) / 0.48, 0.0), 1.0);
    estimate.confidence = std::isfinite(confidence) ? std::clamp(confidence, 0.0, 1.0) : 0.0;

    for (const Scored &s : ranked) {
        const double tempo = tempoOf(s);
        const bool seen = std::any_of(estimate.alternatives.begin(),
                                      estimate.alternatives.end(),
                                      [tempo](const Alternative &a) { return a.bpm == tempo; });
        if (seen)
            continue;
        double strength = std::min(double(ratio(s)), 1.0);
        if (std::isnan(strength))
            strength = 1.0;
        estimate.alternatives.push_back({tempo, strength});
        if (estimate.alternatives.size() == kMaximumAlternatives)
            break;
    }
    return estimate;
}

} // namespace brivello
