#pragma once

#include <QUrl>
#include <array>
#include <stop_token>
#include <vector>

namespace brivello {

// Tempo estimation: decodes up to 132 s at 11 025 Hz mono, computes five onset envelopes in
// up to eight 12 s sections, scores beat periods (lags) by autocorrelation and peak intervals,
// and picks a tempo folded to at most 140 BPM with a confidence and alternatives. Stateless;
// runs on the calling (background) thread. Failures are AnalysisError of domain "Brivello.BPM".
class BPMAnalyzer
{
public:
    struct Alternative
    {
        double bpm = 0;
        double relativeStrength = 0;
    };
    struct Estimate
    {
        double bpm = 0;
        double confidence = 0;
        std::vector<Alternative> alternatives; // at most 8, strongest first
    };

    // Index order: melFlux, lowBand, energyFlux, highFlux, complexFlux.
    static constexpr int kFeatureCount = 5;
    struct OnsetSection
    {
        std::array<std::vector<float>, kFeatureCount> features;
        size_t frameCount() const;
    };
    struct LagCandidate
    {
        int lag = 0;
        float periodicity = 0;
        float agreement = 0;
    };
    struct ScoredCandidate
    {
        LagCandidate candidate;
        float score = 0;
        float tracking = 0;
    };
    struct BinRanges
    {
        int lowStart = 0;
        int topBin = 0;
        int lowEnd = 0;
        int highStart = 0;
    };

    static constexpr int kSampleRate = 11025;
    static constexpr double kMaximumDuration = 132.0;
    static constexpr int kFFTSize = 1024;
    static constexpr int kHopSize = 256;
    static constexpr double kLagToTempo = 2583.984375;
    static constexpr double kFoldCeiling = 140;
    static constexpr std::array<float, kFeatureCount> kFeatureWeights = {
        0.30f, 0.26f, 0.10f, 0.13f, 0.21f};
    static constexpr size_t kMaximumAlternatives = 8;

    enum ErrorCode {
        invalidRange = 1,
        tooLittleAudio = 2,
        tooFewFrames = 3,
        noCommonLag = 4,
        noCandidate = 5,
        noScoredCandidate = 6,
        fftSetupFailed = 7
    };

    // Throws AnalysisError, the decoder's errors and OperationCancelled (seen by the decoder,
    // right after decoding, and by the sectioning, which then stops early).
    static Estimate estimateDetailed(
        const QUrl &url, double minimum, double maximum, bool lowImpact, std::stop_token stop = {});
    // Everything after decoding: the sections of `samples` at 11 025 Hz, then the choice.
    static Estimate estimateFromSamples(const std::vector<float> &samples,
                                        double minimum,
                                        double maximum,
                                        bool lowImpact,
                                        std::stop_token stop = {});

    // Onset features.
    static std::vector<OnsetSection> analysisSections(const std::vector<float> &samples,
                                                      double sampleRate,
                                                      int fftSize,
                                                      int hopSize,
                                                      bool lowImpact,
                                                      std::stop_token stop = {});
    // Section starts and their common length for `count` samples.
    static std::vector<size_t> sectionStarts(size_t count, double sampleRate, size_t *length);
    static OnsetSection spectralFluxEnvelope(const float *samples,
                                             size_t count,
                                             double sampleRate,
                                             int fftSize,
                                             int hopSize,
                                             bool lowImpact,
                                             std::stop_token stop = {});
    static std::vector<float> normalizedOnset(const std::vector<float> &envelope,
                                              double envelopeRate);
    static BinRanges binRanges(double sampleRate, int fftSize);
    // The 25 mel band edges, as bins.
    static std::vector<int> melEdges(double sampleRate, int fftSize);

    // Periodicity.
    static std::vector<float>
    autocorrelationScores(const std::vector<float> &envelope, int through, bool lowImpact);
    static std::vector<float> peakIntervalScores(const std::vector<float> &envelope,
                                                 int minimumLag,
                                                 int maximumLag,
                                                 bool lowImpact);
    static float median(std::vector<float> values);
    static float neighborScore(int near, const std::vector<LagCandidate> &candidates);
    static float beatGridFitness(const std::vector<float> &envelope, double period, bool lowImpact);
    static double refinedPeakLag(int lag, const std::vector<LagCandidate> &candidates);
    static float harmonicSupport(int lag, const std::vector<float> &scores);

    // Tempo choice.
    // Rounds half away from zero, halving while above 140; non-finite input comes back as is.
    static double fold(double tempo);
    // Octave correction, fast-tempo promotion, confidence and alternatives over candidates
    // ranked best first; `candidates` are all lag candidates in lag order.
    static Estimate chooseTempo(const std::vector<ScoredCandidate> &ranked,
                                const std::vector<LagCandidate> &candidates);
};

} // namespace brivello
