#include "playback/AudioTimeline.h"

#include "playback/AudioRingBuffer.h"

#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace brivello {

namespace {

// Output 0-99 plays track 1000-1099 (serial 1), 100-149 holds it (a pause), then a seek
// (serial 2) holds 50 frames of silence at track 5000 and plays on from there.
void fillPausedThenSought(AudioTimeline &timeline)
{
    timeline.append({0, 1000, 60, true, 1});
    timeline.append({60, 1060, 40, true, 1});
    timeline.append({100, 1100, 50, false, 1});
    timeline.append({150, 5000, 50, false, 2});
    timeline.append({200, 5000, 100, true, 2});
    timeline.publish(0);
}

} // namespace

TEST(AudioTimelineTest, PlayedFramesMapToTheTrackFramesRenderedThere)
{
    AudioTimeline timeline;
    fillPausedThenSought(timeline);
    struct Case
    {
        qint64 played;
        quint64 serial;
        std::optional<qint64> track;
    };
    for (const Case c : {Case{0, 1, 1000},
                         Case{75, 1, 1075},
                         Case{120, 1, 1100},
                         Case{400, 1, 1100},
                         Case{120, 2, 5000}, // not yet heard: the seek's target
                         Case{175, 2, 5000},
                         Case{250, 2, 5050},
                         Case{999, 2, 5100},
                         Case{50, 3, std::nullopt}})
        EXPECT_EQ(timeline.trackFrameAt(c.played, c.serial), c.track)
            << c.played << "/" << c.serial;
    EXPECT_EQ(timeline.firstFrame(2), 150);
    EXPECT_EQ(timeline.firstAudioFrame(2), 200);
    EXPECT_EQ(timeline.firstFrame(1), std::nullopt);
}

TEST(AudioTimelineTest, PrunedSegmentsKeepTheOneBeingHeard)
{
    AudioTimeline timeline;
    fillPausedThenSought(timeline);
    timeline.publish(260);
    EXPECT_EQ(timeline.trackFrameAt(260, 2), 5060);
    EXPECT_EQ(timeline.trackFrameAt(260, 1), std::nullopt);
    timeline.publish(10000);
    EXPECT_EQ(timeline.trackFrameAt(10000, 2), 5100);
}

TEST(AudioRingBufferTest, FramesSurviveWrapAroundAndSkipsStopAtTheWriter)
{
    AudioRingBuffer ring(6); // rounded up to 8 frames
    EXPECT_EQ(ring.capacity(), 8);
    std::vector<float> in(2 * 20);
    std::iota(in.begin(), in.end(), 0.0f);
    std::vector<float> out(2 * 20);
    qint64 written = 0;
    qint64 read = 0;
    for (int turn = 0; read < 20; ++turn) {
        ASSERT_LT(turn, 100) << "the ring stopped moving at frame " << read;
        written += ring.write(in.data() + written * 2, std::min<qint64>(5, 20 - written));
        read += ring.read(out.data() + read * 2, 3);
        EXPECT_LE(ring.readable(), ring.capacity());
    }
    EXPECT_EQ(out, in);
    EXPECT_EQ(ring.write(in.data(), 20), 8);
    ring.skipTo(100);
    EXPECT_EQ(ring.readIndex(), ring.writeIndex());
    EXPECT_EQ(ring.writable(), 8);
}

} // namespace brivello
