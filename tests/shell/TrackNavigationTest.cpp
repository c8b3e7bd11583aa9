#include "shell/TrackNavigation.h"

#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "support/RecordingAudioPlayer.h"

using namespace brivello;
using namespace brivello::testing;

namespace {

class TrackNavigationTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
        QList<Track> tracks;
        for (const char *name : {"a/1.mp3", "a/2.mp3", "b/3.mp3", "b/4.mp3"}) {
            Track t = Track::make(QUrl::fromLocalFile(QStringLiteral("/m/") + QLatin1String(name)));
            t.isInPlaylist = true;
            tracks.append(t);
        }
        store().setTracks(tracks);
        ids = {tracks[0].id, tracks[1].id, tracks[2].id, tracks[3].id};
        NotificationCenter::defaultCenter().observe(
            brivelloFocusFavoriteTrack, nullptr, &receiver, [this](const Notification &n) {
                focused.append(n.userInfo.value(kUserInfoTrackID).toUuid());
            });
    }
    void TearDown() override
    {
        NotificationCenter::defaultCenter().removeObservers(&receiver);
        LibraryStoreFixture::TearDown();
    }
    void select(const QSet<QUuid> &selection, std::optional<QUuid> focus)
    {
        store().setSelectedIDs(selection);
        store().setSelectedID(focus);
    }

    RecordingAudioPlayer player;
    QList<QUuid> ids;
    QObject receiver;
    QList<QUuid> focused;
};

TEST_F(TrackNavigationTest, NextAfterCompletionSelectsAndPlaysTheFollowingTrack)
{
    TrackNavigation navigation(store(), player);
    player.current = ids[1];
    select({ids[0], ids[3]}, ids[3]);
    navigation.playNextAfterCompletion();
    EXPECT_EQ(player.played, QList<QUuid>{ids[2]});
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{ids[2]});
    EXPECT_EQ(store().selectedID(), ids[2]);
    EXPECT_TRUE(focused.isEmpty()); // the playlist follows the player by itself
}

TEST_F(TrackNavigationTest, TheEndOfTheListStopsAndLeavesTheSelection)
{
    TrackNavigation navigation(store(), player);
    select({ids[0]}, ids[0]);
    player.current = ids[3];
    navigation.playNextAfterCompletion();
    player.current = QUuid::createUuid(); // no longer in the list
    navigation.playNextAfterCompletion();
    player.current.reset();
    navigation.playNextAfterCompletion();
    EXPECT_TRUE(player.played.isEmpty());
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{ids[0]});
}

TEST_F(TrackNavigationTest, InFavouritesTheNextTrackComesFromTheFilteredListAndIsFocused)
{
    QList<Track> tracks = store().tracks();
    for (int i : {0, 1, 3})
        tracks[i].isFavorite = true;
    tracks[0].tags.genre = tracks[3].tags.genre = QStringLiteral("House");
    store().setTracks(tracks);
    store().setActiveTab(LibraryStore::LibraryTab::favorites);
    store().setFavoriteGenreFilter(QStringLiteral("House"));
    TrackNavigation navigation(store(), player);
    player.current = ids[0];
    navigation.playNextAfterCompletion();
    EXPECT_EQ(player.played, QList<QUuid>{ids[3]});
    EXPECT_EQ(focused, QList<QUuid>{ids[3]});
}

TEST_F(TrackNavigationTest, AdjacentStepsClampAndStartFromTheEnds)
{
    TrackNavigation navigation(store(), player);
    navigation.selectAdjacent(+1);
    EXPECT_EQ(player.played.last(), ids[0]);
    store().setSelectedID(std::nullopt);
    store().setSelectedIDs({});
    player.current.reset();
    navigation.selectAdjacent(-1);
    EXPECT_EQ(player.played.last(), ids[3]);

    select({ids[0]}, ids[0]);
    navigation.selectAdjacent(-1); // the first stays first and goes to the player again
    EXPECT_EQ(player.played.last(), ids[0]);
    EXPECT_EQ(store().selectedID(), ids[0]);

    // Without a focus the playing track is the anchor.
    store().setSelectedIDs({});
    store().setSelectedID(std::nullopt);
    player.current = ids[1];
    navigation.selectAdjacent(+1);
    EXPECT_EQ(player.played.last(), ids[2]);
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{ids[2]});
}

TEST_F(TrackNavigationTest, PlayPauseUsesTheFocusThenTheCurrentTrack)
{
    TrackNavigation navigation(store(), player);
    select({ids[2]}, ids[2]);
    navigation.toggleSelectedTrack();
    EXPECT_EQ(player.played, QList<QUuid>{ids[2]});

    select({}, std::nullopt);
    navigation.toggleSelectedTrack(); // the current track is in the library
    EXPECT_EQ(player.played.last(), ids[2]);

    Track outside = Track::make(QUrl::fromLocalFile(QStringLiteral("/elsewhere.mp3")));
    player.loaded = outside;
    player.current = outside.id;
    navigation.toggleSelectedTrack();
    EXPECT_EQ(player.toggles, 1);

    player.loaded.reset();
    player.current.reset();
    navigation.toggleSelectedTrack();
    EXPECT_EQ(player.toggles, 1);
    EXPECT_EQ(player.played.size(), 2);
}

} // namespace
