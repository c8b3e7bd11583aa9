// Removing tracks from the playlist through the window's keys: undo puts them back where they
// were, and the player follows when the playing track goes.
#include "library/LibrarySections.h"
#include "library/TrackImporter.h"
#include "playback/ui/PlayerBar.h"
#include "playback/ui/PlayerTransportControl.h"
#include "playback/ui/ResizablePlayerDashboardBlock.h"
#include "shell/PlaylistView.h"
#include "support/ui/EndToEndFixture.h"
#include "workspaces/ui/CoverManager.h"
#include "workspaces/ui/FileRowList.h"

#include <QLabel>
#include <QTest>
#include <algorithm>
#include <cmath>

namespace brivello {

namespace {

class PlaylistRemovalEndToEndTest : public testing::EndToEndFixture
{
protected:
    // Four tones in one folder, imported into the playlist in this order.
    void importFour()
    {
        files = urls({makeAudio(QStringLiteral("set/1 Alpha.mp3"), 2.0),
                      makeAudio(QStringLiteral("set/2 Bravo.mp3"), 2.0),
                      makeAudio(QStringLiteral("set/3 Charlie.mp3"), 2.0),
                      makeAudio(QStringLiteral("set/4 Delta.mp3"), 2.0)});
        ids = importAndWait(files);
        ASSERT_EQ(ids.size(), 4);
        ASSERT_EQ(shownIDs(), ids);
    }
    PlaylistModel &model() { return *playlistView()->playlistModel(); }
    PlayerBar &bar() { return *qobject_cast<PlayerBar *>(window().playerBlock()->panel()); }
    // The tracks in the order the playlist shows them.
    QList<QUuid> shownIDs() { return model().ids(); }
    QList<QUuid> storeIDs()
    {
        QList<QUuid> list;
        for (const Track &track : store().tracks())
            list.append(track.id);
        return list;
    }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        clickAt(playlistView()->viewport(), playlistRowPoint(row), modifiers);
    }
    void doubleClickRow(int row)
    {
        QTest::mouseDClick(
            playlistView()->viewport(), Qt::LeftButton, Qt::NoModifier, playlistRowPoint(row));
        settle();
    }
    // Double-clicks the row and lets a little of it play.
    void playRow(int row)
    {
        const QUuid id = model().trackAt(row).id;
        doubleClickRow(row);
        ASSERT_TRUE(spinUntil([&] { return player().isPlaying() && player().currentID() == id; }))
            << "the double click did not play the row";
        advanceAudio(0.3);
    }
    // The loudest sample the sink of the file playing now has rendered.
    float loudest()
    {
        const std::vector<float> &samples = sink()->captured();
        float most = 0;
        for (const float sample : samples)
            most = std::max(most, std::fabs(sample));
        return most;
    }

    QList<QUrl> files;
    QList<QUuid> ids;
};

} // namespace

// The playlist lists a folder by file name, whatever the library's order; the covers section
// lists the library in its order, so that is where a track restored out of place shows.
TEST_F(PlaylistRemovalEndToEndTest, UndoPutsTwoNeighboursBackInTheirPlaces)
{
    ASSERT_NO_FATAL_FAILURE(importFour());
    store().importer().importForCovers(files);
    ASSERT_TRUE(spinUntil([&] { return store().sections().coverTracks().size() == 4; }));
    ASSERT_EQ(storeIDs(), ids);
    clickRow(1);
    clickRow(2, Qt::ShiftModifier);
    ASSERT_EQ(store().selectedIDs(), (QSet<QUuid>{ids[1], ids[2]}));

    pressKey(Qt::Key_Delete);
    ASSERT_EQ(shownIDs(), (QList<QUuid>{ids[0], ids[3]}));
    ASSERT_EQ(storeIDs(), (QList<QUuid>{ids[0], ids[3]}));

    pressKey(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(shownIDs(), ids);
    EXPECT_EQ(storeIDs(), ids) << "the library holds the restored tracks out of order";
    EXPECT_EQ(store().selectedIDs(), (QSet<QUuid>{ids[1], ids[2]}));
    EXPECT_EQ(store().selectedID(), ids[1]);
    EXPECT_TRUE(model().isSelected(1));
    EXPECT_TRUE(model().isSelected(2));
    EXPECT_EQ(statusMessage(), QStringLiteral("Восстановлено: 2"));

    // Row by row, the covers list shows them where they were.
    auto *covers = showSection<CoverManager>(Tab::covers);
    ASSERT_TRUE(covers);
    for (int row = 0; row < 4; ++row) {
        clickAt(covers->list()->viewport(), covers->list()->rowRect(row).center());
        EXPECT_EQ(covers->selectedCoverIDs(), QSet<QUuid>{ids[row]}) << "covers row " << row;
    }
}

TEST_F(PlaylistRemovalEndToEndTest, RemovingThePlayingLastTrackPlaysTheNewLastOne)
{
    ASSERT_NO_FATAL_FAILURE(importFour());
    ASSERT_NO_FATAL_FAILURE(playRow(3));
    ASSERT_EQ(store().selectedIDs(), QSet<QUuid>{ids[3]});

    pressKey(Qt::Key_Delete);
    ASSERT_EQ(shownIDs(), (QList<QUuid>{ids[0], ids[1], ids[2]}));
    ASSERT_TRUE(spinUntil([&] { return player().currentID() == ids[2]; }, 10000))
        << "the player did not move on to the track now last";
    EXPECT_TRUE(player().isPlaying());
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{ids[2]});
    EXPECT_EQ(store().selectedID(), ids[2]);
    EXPECT_TRUE(model().isPlaying(2));
    EXPECT_EQ(bar().titleLabel()->text(), QStringLiteral("3 Charlie"));
    // Its own sound, from its start: a new output that has rendered nothing yet.
    ASSERT_TRUE(sink());
    EXPECT_EQ(sink()->renderedFrames(), 0);
    advanceAudio(0.5);
    EXPECT_GT(loudest(), 0.03f) << "the new last track is silent";
    EXPECT_NEAR(player().progress().currentTime(), 0.5, 0.1);

    // Paused, the track now last goes the same way: the one before it plays.
    pressKey(Qt::Key_Space);
    ASSERT_FALSE(player().isPlaying());
    pressKey(Qt::Key_Delete);
    ASSERT_EQ(shownIDs(), (QList<QUuid>{ids[0], ids[1]}));
    ASSERT_TRUE(spinUntil([&] { return player().currentID() == ids[1]; }, 10000));
    EXPECT_TRUE(player().isPlaying());
    EXPECT_EQ(bar().titleLabel()->text(), QStringLiteral("2 Bravo"));
}

TEST_F(PlaylistRemovalEndToEndTest, RemovingEveryTrackStopsAndClearsThePlayer)
{
    ASSERT_NO_FATAL_FAILURE(importFour());
    ASSERT_NO_FATAL_FAILURE(playRow(1));

    pressKey(Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(store().selectedIDs().size(), 4);
    pressKey(Qt::Key_Delete);
    ASSERT_TRUE(shownIDs().isEmpty());

    EXPECT_FALSE(player().currentID().has_value());
    EXPECT_FALSE(player().currentTrack().has_value());
    EXPECT_FALSE(player().isPlaying());
    EXPECT_EQ(sink(), nullptr) << "the removed track's sound is still open";
    settle(200);
    EXPECT_EQ(player().progress().currentTime(), 0);
    EXPECT_EQ(player().progress().duration(), 0);
    EXPECT_EQ(bar().titleLabel()->text(), QStringLiteral("Ничего не воспроизводится"));
    EXPECT_EQ(bar().presenter().displayedDuration(), 0);
    EXPECT_FALSE(bar().transportButtons()[2]->isEnabled());

    // Space has nothing left to play.
    pressKey(Qt::Key_Space);
    EXPECT_FALSE(player().isPlaying());
    EXPECT_FALSE(player().currentID().has_value());
}

} // namespace brivello
