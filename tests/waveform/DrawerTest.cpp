#include "waveform/BarDrawer.h"
#include "waveform/BezierCurveDrawer.h"
#include "waveform/DotDrawer.h"
#include "waveform/LineDrawer.h"
#include "waveform/LogarithmicBarDrawer.h"

#include <gtest/gtest.h>
#include <memory>

using namespace brivello;

namespace {

QPointF point(const QPainterPath &path, int index)
{
    const QPainterPath::Element e = path.elementAt(index);
    return {e.x, e.y};
}

TEST(DrawerTest, SampleCountsFollowTheWidthAndNeverAPositiveZeroStep)
{
    const struct
    {
        std::shared_ptr<WaveformDrawing> drawer;
        double width;
        qint64 expected;
    } cases[] = {
        {std::make_shared<BarDrawer>(BarDrawer::Config{2, 1, 1, 1}), 100, 33},
        {std::make_shared<BarDrawer>(BarDrawer::Config{1, -1, 1, 1}), 100, 0},
        {std::make_shared<LogarithmicBarDrawer>(BarDrawer::Config{2, 1, 1, 1}, 0.001f), 100, 33},
        {std::make_shared<BezierCurveDrawer>(BezierCurveDrawer::Config{0.72, 3}), 300, 100},
        {std::make_shared<BezierCurveDrawer>(BezierCurveDrawer::Config{0.72, 0}), 300, 0},
        {std::make_shared<BezierCurveDrawer>(BezierCurveDrawer::Config{0.72, 1e-300}),
         300,
         WaveformDrawing::kMaximumSampleCount},
        {std::make_shared<DotDrawer>(DotDrawer::Config{1.5, 2}), 100, 20},
        {std::make_shared<DotDrawer>(DotDrawer::Config{0, 0}), 100, 0},
        {std::make_shared<LineDrawer>(LineDrawer::Config{}), 123.9, 123},
        {std::make_shared<LineDrawer>(LineDrawer::Config{}), -5, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.drawer->sampleCount(QSizeF(c.width, 40)), c.expected) << c.width;
}

TEST(DrawerTest, BarsStandOnTheMidLineAtLeastMinimumHigh)
{
    const BarDrawer bars(BarDrawer::Config{2, 1, 4, 0});
    std::vector<float> samples(33, 0.5f);
    samples[0] = 0.0f;
    samples[1] = NAN;
    const QPainterPath path = bars.draw(samples, QRectF(0, 0, 100, 40));
    ASSERT_EQ(path.elementCount(), 33 * 5);    // a rectangle: move and four lines
    EXPECT_EQ(point(path, 0), QPointF(0, 18)); // silent: minimum height, centred
    EXPECT_EQ(point(path, 5), QPointF(3, 18));
    EXPECT_EQ(point(path, 32 * 5), QPointF(96, 10)); // the last bar starts at 96
    EXPECT_EQ(path.boundingRect(), QRectF(0, 10, 98, 20));
    EXPECT_TRUE(BarDrawer(BarDrawer::Config{0, 0, 1, 0}).draw(samples, {0, 0, 9, 9}).isEmpty());

    const BarDrawer rounded(BarDrawer::Config{2, 1, 4, 1});
    EXPECT_GT(rounded.draw(samples, QRectF(0, 0, 100, 40)).elementCount(), 33 * 5);
}

TEST(DrawerTest, LogarithmicScaleMapsTheFloorToZeroAndOneToOne)
{
    const std::vector<float> mapped = LogarithmicBarDrawer::transform(
        std::vector<float>{0.0005f, 0.001f, 0.01f, 0.1f, 1.0f}, 0.001f);
    const std::vector<float> expected{0.0f, 0.0f, 1.0f / 3, 2.0f / 3, 1.0f};
    ASSERT_EQ(mapped.size(), expected.size());
    for (size_t i = 0; i < mapped.size(); ++i)
        EXPECT_NEAR(mapped[i], expected[i], 1e-6) << i;
    EXPECT_TRUE(LogarithmicBarDrawer::transform({}, 0.001f).empty());
    for (float v : LogarithmicBarDrawer::transform(std::vector<float>{0.5f, NAN}, 0.0f))
        EXPECT_TRUE(std::isfinite(v));
}

TEST(DrawerTest, BezierOutlineIsClosedMirroredAndFlatBelowTwoSamples)
{
    const BezierCurveDrawer straight(BezierCurveDrawer::Config{0.0, 3});
    for (const std::vector<float> &few : {std::vector<float>{}, std::vector<float>{0.7f}}) {
        const QPainterPath line = straight.draw(few, QRectF(0, 0, 90, 40));
        ASSERT_EQ(line.elementCount(), 2);
        EXPECT_EQ(point(line, 0), QPointF(0, 20));
        EXPECT_EQ(point(line, 1), QPointF(90, 20));
    }

    const QPainterPath two = straight.draw(std::vector<float>{0.5f, 1.0f}, QRectF(0, 0, 90, 40));
    // Move, one curve (3 elements), line down, one curve, closing line.
    ASSERT_EQ(two.elementCount(), 1 + 3 + 1 + 3 + 1);
    EXPECT_EQ(point(two, 0), QPointF(0, 10));
    EXPECT_EQ(point(two, 1), QPointF(0, 10)); // curviness 0: controls on the end points
    EXPECT_EQ(point(two, 2), QPointF(90, 0));
    EXPECT_EQ(point(two, 3), QPointF(90, 0));
    EXPECT_EQ(point(two, 4), QPointF(90, 40)); // straight down to the mirrored point
    EXPECT_EQ(point(two, 7), QPointF(0, 30));
    EXPECT_EQ(point(two, 8), QPointF(0, 10)); // closed

    const BezierCurveDrawer catmullRom(BezierCurveDrawer::Config{1.0, 3});
    const QPainterPath three =
        catmullRom.draw(std::vector<float>{0.5f, 1.0f, 0.5f}, QRectF(0, 0, 60, 40));
    EXPECT_EQ(three.elementCount(), 6 * 3 - 3);
    // First control: P0 + (P1 - P0) / 6 with the start clamped.
    EXPECT_EQ(point(three, 1), QPointF(5, 10 - 10.0 / 6));
    // Second control of the first curve: P1 - (P2 - P0) / 6.
    EXPECT_EQ(point(three, 2), QPointF(30 - 60.0 / 6, 0));
}

TEST(DrawerTest, DotsAndLinesKeepTheirShapesAtTheEdges)
{
    const DotDrawer dots(DotDrawer::Config{1.5, 2});
    const QPainterPath dotPath = dots.draw(std::vector<float>{0.0f, 1.0f}, QRectF(0, 0, 100, 40));
    EXPECT_EQ(dotPath.elementCount(), 4 * 13); // four ellipses of 13 elements
    EXPECT_EQ(dotPath.boundingRect(), QRectF(-1.5, -1.5, 50 + 3, 43));
    EXPECT_TRUE(dots.draw({}, QRectF(0, 0, 100, 40)).isEmpty());

    const std::vector<float> samples{1.0f, 0.0f, 0.5f, 1.0f};
    const QPainterPath plain = LineDrawer(LineDrawer::Config{false}).draw(samples, {0, 0, 90, 40});
    // Top polyline (4), bottom polyline (4), closing line.
    ASSERT_EQ(plain.elementCount(), 9);
    EXPECT_EQ(point(plain, 0), QPointF(0, 20));
    EXPECT_EQ(point(plain, 1), QPointF(30, 19)); // silent inner sample: a 2-point band
    EXPECT_EQ(point(plain, 2), QPointF(60, 10));
    EXPECT_EQ(point(plain, 3), QPointF(90, 20));
    EXPECT_EQ(point(plain, 5), QPointF(60, 30));

    const QPainterPath inverted =
        LineDrawer(LineDrawer::Config{true}).draw(samples, {0, 0, 90, 40});
    EXPECT_EQ(point(inverted, 0), QPointF(0, 0));
    EXPECT_EQ(point(inverted, 3), QPointF(90, 0));
    EXPECT_EQ(point(inverted, 4), QPointF(90, 40));

    // One sample has no step: it stands at x = 0 instead of dividing by zero.
    const QPainterPath single =
        LineDrawer(LineDrawer::Config{}).draw(std::vector<float>{0.5f}, {0, 0, 1.5, 40});
    for (int i = 0; i < single.elementCount(); ++i)
        EXPECT_EQ(point(single, i).x(), 0.0);
}

} // namespace
