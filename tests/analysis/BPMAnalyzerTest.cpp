#include "analysis/BPMAnalyzer.h"

#include "AnalysisFixtures.h"
#include "analysis/AnalysisError.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace brivello;

namespace {

using Candidate = BPMAnalyzer::LagCandidate;
using Scored = BPMAnalyzer::ScoredCandidate;

int errorCode(const std::function<void()> &work)
{
    try {
        work();
    } catch (const AnalysisError &error) {
        EXPECT_EQ(error.domain(), "Brivello.BPM");
        return error.code();
    }
    return 0;
}

std::vector<float> impulses(size_t count, size_t period, size_t offset = 0)
{
    std::vector<float> envelope(count, 0.0f);
    for (size_t i = offset; i < count; i += period)
        envelope[i] = 1.0f;
    return envelope;
}

TEST(BPMAnalyzerFeaturesTest, BinRangesAndMelEdgesAtTheAnalysisRate)
{
    const BPMAnalyzer::BinRanges ranges = BPMAnalyzer::binRanges(11025, 1024);
    EXPECT_EQ(ranges.lowStart, 3);
    EXPECT_EQ(ranges.topBin, 511);
    EXPECT_EQ(ranges.lowEnd, 20);
    EXPECT_EQ(ranges.highStart, 186);
    const std::vector<int> edges = BPMAnalyzer::melEdges(11025, 1024);
    ASSERT_EQ(edges.size(), 25u);
    EXPECT_EQ(edges.front(), 3);
    EXPECT_EQ(edges.back(), 464);
    EXPECT_TRUE(std::is_sorted(edges.begin(), edges.end()));
}

TEST(BPMAnalyzerFeaturesTest, SectionsSplitOnlyAudioLongerThanThirtySixSeconds)
{
    size_t length = 0;
    EXPECT_EQ(BPMAnalyzer::sectionStarts(396900, 11025, &length), std::vector<size_t>{0});
    EXPECT_EQ(length, 396900u);
    EXPECT_EQ(BPMAnalyzer::sectionStarts(396901, 11025, &length).size(), 8u);
    EXPECT_EQ(length, 132300u);
    const std::vector<size_t> starts = BPMAnalyzer::sectionStarts(1455300, 11025, &length);
    const std::vector<double> seconds = {6.0, 21.6, 37.2, 52.8, 68.4, 84.0, 99.6, 114.0};
    ASSERT_EQ(starts.size(), seconds.size());
    for (size_t i = 0; i < starts.size(); ++i)
        EXPECT_EQ(starts[i], size_t(std::round(seconds[i] * 11025))) << i;
}

TEST(BPMAnalyzerFeaturesTest, FrameCountsDecideWhetherASectionIsUsed)
{
    std::vector<float> noise(132300);
    uint32_t state = 1;
    for (float &sample : noise) {
        state = state * 1664525u + 1013904223u;
        sample = float(state >> 8) / float(1 << 24) - 0.5f;
    }
    struct Case
    {
        size_t samples;
        size_t frames;
    };
    for (const Case &c : {Case{132300, 513}, Case{26624, 101}, Case{26623, 100}}) {
        const BPMAnalyzer::OnsetSection section =
            BPMAnalyzer::spectralFluxEnvelope(noise.data(), c.samples, 11025, 1024, 256, false);
        for (const std::vector<float> &feature : section.features)
            EXPECT_EQ(feature.size(), c.frames) << c.samples;
        const std::vector<float> samples(noise.begin(), noise.begin() + qint64(c.samples));
        EXPECT_EQ(BPMAnalyzer::analysisSections(samples, 11025, 1024, 256, false).size(),
                  c.frames > 100 ? 1u : 0u);
    }
}

TEST(BPMAnalyzerFeaturesTest, NormalisedOnsetsStayBetweenZeroAndEight)
{
    const std::vector<float> four = {3, 1, 4, 1};
    EXPECT_EQ(BPMAnalyzer::normalizedOnset(four, 43.06640625), four);
    EXPECT_EQ(BPMAnalyzer::normalizedOnset(std::vector<float>(50, 0.0f), 43.06640625),
              std::vector<float>(50, 0.0f));
    std::vector<float> spiky(400, 0.01f);
    for (size_t i = 0; i < spiky.size(); i += 37)
        spiky[i] = 1000.0f;
    for (float value : BPMAnalyzer::normalizedOnset(spiky, 43.06640625)) {
        EXPECT_GE(value, 0.0f);
        EXPECT_LE(value, 8.0f);
    }
}

TEST(BPMAnalyzerPeriodicityTest, LagsFoldToTheTableOfTempi)
{
    const std::vector<double> folded = {72,  129, 118, 108, 100, 93,  86,  81, 76, 72,
                                        136, 129, 123, 117, 112, 108, 103, 99, 96, 92,
                                        89,  86,  83,  81,  78,  76,  74,  72, 70};
    for (int lag = 9; lag <= 37; ++lag)
        EXPECT_EQ(BPMAnalyzer::fold(BPMAnalyzer::kLagToTempo / lag), folded[size_t(lag - 9)])
            << lag;
    EXPECT_TRUE(std::isnan(BPMAnalyzer::fold(std::nan(""))));
    EXPECT_TRUE(std::isinf(BPMAnalyzer::fold(HUGE_VAL)));
}

TEST(BPMAnalyzerPeriodicityTest, ImpulseTrainsScoreTheirPeriod)
{
    const std::vector<float> train = impulses(500, 20, 3);
    const std::vector<float> correlation = BPMAnalyzer::autocorrelationScores(train, 37, false);
    ASSERT_EQ(correlation.size(), 38u);
    EXPECT_EQ(correlation[0], 0.0f);
    EXPECT_NEAR(correlation[20], 1.0f, 1e-6);
    EXPECT_EQ(std::max_element(correlation.begin(), correlation.end()) - correlation.begin(), 20);
    EXPECT_EQ(BPMAnalyzer::autocorrelationScores(impulses(30, 5), 30, false),
              std::vector<float>(31, 0.0f));

    const std::vector<float> intervals = BPMAnalyzer::peakIntervalScores(train, 9, 37, false);
    ASSERT_EQ(intervals.size(), 38u);
    EXPECT_FLOAT_EQ(intervals[20], 1.0f);
    EXPECT_EQ(std::max_element(intervals.begin(), intervals.end()) - intervals.begin(), 20);

    EXPECT_FLOAT_EQ(BPMAnalyzer::beatGridFitness(train, 20, false), 1.0f);
    EXPECT_LT(BPMAnalyzer::beatGridFitness(train, 27, false), 0.9f);
    EXPECT_EQ(BPMAnalyzer::beatGridFitness(impulses(16, 2), 2, false), 0.0f);
    EXPECT_EQ(BPMAnalyzer::beatGridFitness(train, 1.5, false), 0.0f);
}

TEST(BPMAnalyzerPeriodicityTest, HelpersOnSmallLists)
{
    EXPECT_EQ(BPMAnalyzer::median({3, 1, 2}), 2.0f);
    EXPECT_EQ(BPMAnalyzer::median({4, 1, 3, 2}), 2.5f);
    const std::vector<Candidate> candidates = {
        {20, 0.5f, 1}, {21, 1.0f, 1}, {22, 0.7f, 1}, {30, 0.9f, 1}};
    EXPECT_EQ(BPMAnalyzer::neighborScore(20, candidates), 1.0f);
    EXPECT_EQ(BPMAnalyzer::neighborScore(25, candidates), 0.0f);
    EXPECT_NEAR(BPMAnalyzer::refinedPeakLag(21, candidates), 21.125, 1e-6);
    EXPECT_DOUBLE_EQ(BPMAnalyzer::refinedPeakLag(20, candidates), 20.0); // no lag 19
    EXPECT_DOUBLE_EQ(BPMAnalyzer::refinedPeakLag(30, candidates), 30.0);
    const std::vector<float> scores = {0, 0.5f, 1, 0, 2, 0, 3};
    EXPECT_FLOAT_EQ(BPMAnalyzer::harmonicSupport(2, scores),
                    1 + 0.24f * 2 + 0.12f * 3 + 0.12f * 0.5f);
    EXPECT_EQ(BPMAnalyzer::harmonicSupport(7, scores), 0.0f);
}

// Candidates alone (no neighbours) keep their whole lags when refined.
std::vector<Candidate> spread(const std::vector<Scored> &ranked)
{
    std::vector<Candidate> candidates;
    for (const Scored &s : ranked)
        candidates.push_back(s.candidate);
    std::sort(candidates.begin(), candidates.end(), [](auto &a, auto &b) { return a.lag < b.lag; });
    return candidates;
}

Scored scored(int lag, float score, float periodicity = 0.3f, float agreement = 0.5f)
{
    return {{lag, periodicity, agreement}, score, 0};
}

TEST(BPMAnalyzerChoiceTest, OctaveCorrectionAndPromotionBranches)
{
    struct Case
    {
        const char *what;
        std::vector<Scored> ranked;
        double bpm;
    };
    // Lag 28 folds to 92, 19 to 136, 21 to 123, 26 to 99, 35 to 74, 37 to 70, 36 to 72, 33 to 78.
    const std::vector<Case> cases = {
        {"92 turns to a strong 136", {scored(28, 1), scored(19, 0.64f)}, 136},
        {"92 keeps a weak 136", {scored(28, 1), scored(19, 0.63f)}, 92},
        {"99 is never corrected", {scored(26, 1), scored(35, 0.99f)}, 99},
        {"123 needs 0.85 for 92", {scored(21, 1), scored(28, 0.86f)}, 92},
        {"123 keeps 0.84", {scored(21, 1), scored(28, 0.84f)}, 123},
        {"70 is promoted at 0.6", {scored(37, 1), scored(19, 0.6f)}, 140},
        {"72 is not promoted at 0.7", {scored(36, 1), scored(19, 0.7f)}, 72},
        {"72 is promoted at 0.75", {scored(36, 1), scored(19, 0.75f)}, 140},
        {"78 is never promoted", {scored(33, 1), scored(19, 0.99f)}, 78},
    };
    for (const Case &c : cases)
        EXPECT_EQ(BPMAnalyzer::chooseTempo(c.ranked, spread(c.ranked)).bpm, c.bpm) << c.what;
}

TEST(BPMAnalyzerChoiceTest, ConfidenceAndAlternatives)
{
    // Lags 18 and 36 both fold to 72: no competitor, so the margin term is full.
    const std::vector<Scored> alone = {scored(36, 2, 0.24f, 0.5f), scored(18, 1)};
    const BPMAnalyzer::Estimate estimate = BPMAnalyzer::chooseTempo(alone, spread(alone));
    EXPECT_NEAR(estimate.confidence, 0.18 + 0.34 * 0.5 + 0.48 * 0.5, 1e-6);
    ASSERT_EQ(estimate.alternatives.size(), 1u);
    EXPECT_EQ(estimate.alternatives[0].bpm, 72);
    EXPECT_EQ(estimate.alternatives[0].relativeStrength, 1.0);

    std::vector<Scored> many;
    for (int lag = 9; lag <= 37; ++lag)
        many.push_back(scored(lag, 3.0f - float(lag) * 0.05f, 0.9f, 1.0f));
    const BPMAnalyzer::Estimate wide = BPMAnalyzer::chooseTempo(many, spread(many));
    EXPECT_GE(wide.confidence, 0.0);
    EXPECT_LE(wide.confidence, 1.0);
    ASSERT_EQ(wide.alternatives.size(), 8u);
    EXPECT_EQ(wide.alternatives[0].bpm, 72); // lag 9
    EXPECT_EQ(wide.alternatives[0].relativeStrength, 1.0);
    for (size_t i = 0; i < wide.alternatives.size(); ++i) {
        EXPECT_LE(wide.alternatives[i].relativeStrength, 1.0);
        for (size_t j = 0; j < i; ++j)
            EXPECT_NE(wide.alternatives[i].bpm, wide.alternatives[j].bpm);
    }
    EXPECT_TRUE(std::isnan(BPMAnalyzer::chooseTempo({}, {}).bpm));
}

TEST(BPMAnalyzerErrorsTest, BadRangesAndShortAudio)
{
    const QUrl missing = QUrl::fromLocalFile(QStringLiteral("/nonexistent/a.mp3"));
    for (auto [low, high] :
         {std::pair{0.0, 200.0}, {100.0, 100.0}, {120.0, 100.0}, {std::nan(""), 200.0}})
        EXPECT_EQ(errorCode([&] { BPMAnalyzer::estimateDetailed(missing, low, high, false); }), 1);
    EXPECT_EQ(errorCode([] {
                  BPMAnalyzer::estimateFromSamples(std::vector<float>(11025), 70, 200, false);
              }),
              2);
    EXPECT_EQ(errorCode([] {
                  BPMAnalyzer::estimateFromSamples(
                      std::vector<float>(220500, 0.0f), 70, 200, false);
              }),
              3); // silence
    // Ten seconds but a minimum tempo so high that no lag lies above the minimum lag.
    EXPECT_EQ(errorCode([] {
                  BPMAnalyzer::estimateFromSamples(
                      std::vector<float>(110250, 0.1f), 280, 300, false);
              }),
              3);
}

// A damaged float file: NaN and infinite samples must not poison the scores.
TEST(BPMAnalyzerErrorsTest, NonFiniteSamplesAreIgnored)
{
    QTemporaryDir dir;
    std::vector<float> clicks(44100 * 40, 0.0f);
    for (size_t beat = 0; beat < clicks.size(); beat += 22050) { // 120 BPM
        for (size_t i = 0; i < 441 && beat + i < clicks.size(); ++i)
            clicks[beat + i] =
                float(0.8 * std::sin(2 * std::numbers::pi * 1000 * double(i) / 44100));
    }
    for (size_t i = 777; i < clicks.size(); i += 5000)
        clicks[i] = i % 2 ? std::nanf("") : HUGE_VALF;
    const QString file = dir.filePath(QStringLiteral("damaged.wav"));
    ASSERT_TRUE(test::writeFloatWav(file, clicks, 44100));
    EXPECT_NEAR(
        BPMAnalyzer::estimateDetailed(QUrl::fromLocalFile(file), 70, 200, false).bpm, 120, 1);
}

// Drum patterns (kick on every beat, snare on two and four, hats between) and plain clicks.
class BPMAnalyzerTracksTest : public ::testing::TestWithParam<int>
{
protected:
    double estimate(const QString &expression)
    {
        const QString file = m_dir.filePath(QStringLiteral("track.flac"));
        test::lavfi(QStringLiteral("aevalsrc='%1':s=44100:d=40").arg(expression), file);
        return BPMAnalyzer::estimateDetailed(QUrl::fromLocalFile(file), 70, 200, false).bpm;
    }
    QTemporaryDir m_dir;
};

TEST_P(BPMAnalyzerTracksTest, DrumsAndClicksWithinOneBeatPerMinute)
{
    const QString beat = QString::number(60.0 / GetParam(), 'f', 6);
    const QString drums = QStringLiteral("0.7*sin(2*PI*55*mod(t,B))*exp(-18*mod(t,B))"
                                         "+0.4*(2*random(0)-1)*exp(-30*mod(t+B,2*B))"
                                         "+0.12*(2*random(1)-1)*exp(-60*mod(t+B/2,B))")
                              .replace(QLatin1Char('B'), beat);
    const QString clicks =
        QStringLiteral("0.8*sin(2*PI*1000*t)*lt(mod(t,B),0.01)").replace(QLatin1Char('B'), beat);
    EXPECT_NEAR(estimate(drums), GetParam(), 1.0) << "drums";
    EXPECT_NEAR(estimate(clicks), GetParam(), 1.0) << "clicks";
}

INSTANTIATE_TEST_SUITE_P(Tempi,
                         BPMAnalyzerTracksTest,
                         ::testing::Values(90, 100, 120, 124, 128, 135));

} // namespace
