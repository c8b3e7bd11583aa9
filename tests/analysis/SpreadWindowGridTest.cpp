#include "analysis/SpreadWindowGrid.h"

#include "analysis/AudioQualityAnalyzer.h"

#include <gtest/gtest.h>
#include <numeric>
#include <random>

namespace brivello {
namespace {

// Feeds frames numbered 0 … length − 1 in uneven blocks; each sample holds its own position.
SpreadWindowGrid fed(qint64 length, int windowLength, int count = AudioQualityAnalyzer::kColumns)
{
    SpreadWindowGrid grid(count, windowLength);
    std::mt19937 random(7);
    std::uniform_int_distribution<qint64> block(1, 5000);
    std::vector<float> samples;
    for (qint64 at = 0; at < length;) {
        const qint64 n = std::min(block(random), length - at);
        samples.resize(size_t(n));
        std::iota(samples.begin(), samples.end(), float(at));
        grid.feed(samples.data(), n);
        at += n;
    }
    return grid;
}

TEST(SpreadWindowGridTest, PicksWholeWindowsNearTheEvenlySpreadStartsInOnePass)
{
    for (const qint64 length : {qint64(44100) * 300, qint64(44100) * 3, qint64(9000)}) {
        const SpreadWindowGrid grid = fed(length, 4096);
        EXPECT_EQ(grid.frames(), length);
        const std::vector<qint64> wanted = AudioQualityAnalyzer::windowPositions(length, 4096);
        const auto picked = grid.pick(wanted);
        ASSERT_EQ(picked.size(), wanted.size());
        // Kept windows lie at most one grid step apart: the step stays below span / count.
        const qint64 tolerance = std::max<qint64>(2 * length / AudioQualityAnalyzer::kColumns, 1);
        for (size_t i = 0; i < wanted.size(); ++i) {
            const SpreadWindowGrid::Window &window = *picked[i];
            EXPECT_LE(std::abs(window.start - wanted[i]), tolerance) << length << " #" << i;
            ASSERT_EQ(window.samples.size(), size_t(std::min<qint64>(4096, length - window.start)));
            // The samples are the stream's own, in order, from the window's start.
            EXPECT_EQ(window.samples.front(), float(window.start));
            EXPECT_EQ(window.samples.back(),
                      float(window.start + qint64(window.samples.size()) - 1));
            if (i > 0) {
                EXPECT_GE(window.start, picked[i - 1]->start);
            }
        }
        EXPECT_EQ(picked.back()->samples.size(), size_t(std::min<qint64>(4096, length)));
    }
}

TEST(SpreadWindowGridTest, ShortAndEmptyStreamsGiveWhatThereIs)
{
    const SpreadWindowGrid shortOne = fed(1000, 4096);
    const auto picked = shortOne.pick(AudioQualityAnalyzer::windowPositions(1000, 4096));
    ASSERT_EQ(picked.size(), size_t(AudioQualityAnalyzer::kColumns));
    EXPECT_EQ(picked.front()->start, 0);
    EXPECT_EQ(picked.front()->samples.size(), size_t(1000));

    const SpreadWindowGrid nothing(192, 4096);
    EXPECT_TRUE(nothing.pick({0, 0, 0}).empty());
}

} // namespace
} // namespace brivello
