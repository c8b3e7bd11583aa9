#include "support/ui/EndToEndFixture.h"

#include <algorithm>

namespace brivello {

using EndToEndSmokeTest = testing::EndToEndFixture;

TEST_F(EndToEndSmokeTest, ImportedFilePlaysThroughTheCaptureSink)
{
    const QString file = makeAudio(QStringLiteral("music/tone.flac"), 2.0);
    const QList<QUuid> ids = importAndWait(urls({file}));
    ASSERT_EQ(ids.size(), 1);
    const Track track = *this->track(ids.first());
    EXPECT_NEAR(track.duration, 2.0, 0.05);

    player().play(track);
    ASSERT_TRUE(spinUntil([this] { return sink() != nullptr && player().isPlaying(); }));
    advanceAudio(0.5);
    const auto &samples = sink()->captured();
    ASSERT_FALSE(samples.empty());
    EXPECT_GT(*std::max_element(samples.cbegin(), samples.cend()), 0.05f);
    EXPECT_TRUE(spinUntil([this] { return player().progress().currentTime() > 0.3; }));
}

} // namespace brivello
