#include "waveform/AudioProcessor.h"
#include "waveform/Downsampler.h"
#include "waveform/Upsampler.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace brivello;

namespace {

TEST(FittingTest, ReducingTakesSliceRMSOfThirteenOrFourteenValues)
{
    std::vector<float> envelope(4096);
    for (size_t i = 0; i < envelope.size(); ++i)
        envelope[i] = (i % 2 ? -1.0f : 1.0f) * float(i % 7) / 7.0f;
    const std::vector<float> reduced =
        AudioProcessor::prepareSamples(envelope, 300, UpsampleStrategy::smooth);
    ASSERT_EQ(reduced.size(), 300u);
    // Slice 0 is [0, 13), slice 1 [13, 27).
    for (const auto &[index, start, end] :
         {std::tuple{0, 0, 13}, std::tuple{1, 13, 27}, std::tuple{299, 4082, 4096}}) {
        float sum = 0;
        for (int k = start; k < end; ++k)
            sum += envelope[size_t(k)] * envelope[size_t(k)];
        EXPECT_FLOAT_EQ(reduced[size_t(index)], std::sqrt(sum / float(end - start)));
    }
    // The same count gives the magnitudes, negatives included.
    const std::vector<float> same = AudioProcessor::prepareSamples(envelope, 4096, {});
    EXPECT_EQ(same[1], std::fabs(envelope[1]));
    EXPECT_TRUE(AudioProcessor::prepareSamples(envelope, 0, {}).empty());
    EXPECT_TRUE(AudioProcessor::prepareSamples({}, 10, {}).empty());
}

TEST(FittingTest, StretchingFollowsTheStrategysControlPositions)
{
    std::vector<float> envelope(100);
    for (size_t i = 0; i < envelope.size(); ++i)
        envelope[i] = i % 2 ? 1.0f : -0.0f;
    const float step = 99.0f / 399.0f;
    const struct
    {
        UpsampleStrategy strategy;
        float atPosition1; // output 1 sits at t = step (0.2481…)
    } cases[] = {
        {UpsampleStrategy::linear, step},
        {UpsampleStrategy::hold, 0.0f},
        {UpsampleStrategy::smooth, step * step * (3 - 2 * step)},
        {UpsampleStrategy::cosine, (1 - std::cos(step * Upsampler::kPi)) * 0.5f},
    };
    for (const auto &c : cases) {
        const std::vector<float> out = AudioProcessor::prepareSamples(envelope, 400, c.strategy);
        ASSERT_EQ(out.size(), 400u);
        EXPECT_FLOAT_EQ(out[0], 0.0f);
        EXPECT_FLOAT_EQ(out[1], c.atPosition1) << int(c.strategy);
        EXPECT_FLOAT_EQ(out[399], 1.0f); // the last input, never a read past it
    }
    EXPECT_EQ(Upsampler::controlVector(100, 400, UpsampleStrategy::linear)[1], step);
    // `none` returns the magnitudes at their own count.
    EXPECT_EQ(AudioProcessor::prepareSamples(
                  std::vector<float>{-0.5f, 0.25f}, 10, UpsampleStrategy::none),
              (std::vector<float>{0.5f, 0.25f}));
    // Degenerate targets neither divide by zero nor read beyond the input.
    EXPECT_EQ(Upsampler::upsample(std::vector<float>{0.5f}, 3, UpsampleStrategy::linear),
              (std::vector<float>{0.5f, 0.5f, 0.5f}));
    EXPECT_EQ(Upsampler::controlVector(5, 1, UpsampleStrategy::smooth), (std::vector<float>{0}));
}

} // namespace
