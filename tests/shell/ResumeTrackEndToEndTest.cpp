// The track to resume across a restart is the one the player held, not the one the user
// happened to select last; it comes back selected and shown, and plays on request.
#include "playback/ui/PlayerBar.h"
#include "playback/ui/ResizablePlayerDashboardBlock.h"
#include "shell/PlaylistView.h"
#include "support/ui/EndToEndFixture.h"

#include <QLabel>
#include <QTest>

namespace brivello {

namespace {

class ResumeTrackEndToEndTest : public testing::EndToEndFixture
{
protected:
    PlaylistModel &model() { return *playlistView()->playlistModel(); }
    PlayerBar &bar() { return *qobject_cast<PlayerBar *>(window().playerBlock()->panel()); }
};

} // namespace

TEST_F(ResumeTrackEndToEndTest, ThePlayingTrackComesBackRatherThanTheOneSelectedAfterIt)
{
    const QList<QUuid> ids =
        importAndWait(urls({makeAudio(QStringLiteral("set/1 Alpha.mp3"), 2.0),
                            makeAudio(QStringLiteral("set/2 Bravo.mp3"), 2.0),
                            makeAudio(QStringLiteral("set/3 Charlie.mp3"), 2.0)}));
    ASSERT_EQ(ids.size(), 3);
    ASSERT_EQ(model().ids(), ids);
    QTest::mouseDClick(
        playlistView()->viewport(), Qt::LeftButton, Qt::NoModifier, playlistRowPoint(0));
    ASSERT_TRUE(spinUntil([&] { return player().isPlaying() && player().currentID() == ids[0]; }));
    advanceAudio(0.3);
    clickAt(playlistView()->viewport(), playlistRowPoint(1));
    ASSERT_EQ(store().selectedID(), ids[1]);
    ASSERT_EQ(player().currentID(), ids[0]) << "a click selects, it does not play";

    restartApp();
    ASSERT_EQ(model().ids(), ids);
    EXPECT_EQ(store().selectedID(), ids[0]) << "the selection came back instead of the player";
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{ids[0]});
    EXPECT_TRUE(model().isSelected(0));
    EXPECT_FALSE(model().isSelected(1));
    // Selected only: nothing plays before the user asks.
    EXPECT_FALSE(player().isPlaying());
    EXPECT_FALSE(player().currentID().has_value());
    EXPECT_EQ(bar().titleLabel()->text(), QStringLiteral("1 Alpha"));

    pressKey(Qt::Key_Space);
    ASSERT_TRUE(spinUntil([&] { return player().isPlaying(); }));
    EXPECT_EQ(player().currentID(), ids[0]);
    EXPECT_EQ(bar().titleLabel()->text(), QStringLiteral("1 Alpha"));
}

} // namespace brivello
