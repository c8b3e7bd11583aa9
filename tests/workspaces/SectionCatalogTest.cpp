#include "workspaces/SectionCatalog.h"

#include "support/LibraryStoreFixture.h"
#include "workspaces/WorkspaceStatusSummary.h"

#include <gtest/gtest.h>

using namespace brivello;
using brivello::testing::LibraryStoreFixture;
using Tab = LibraryStore::LibraryTab;

namespace {

class SectionCatalogTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
    }
};

// The counts are kept between reads; every assignment of the track list renews them, and a
// second store never sees the first one's.
TEST_F(SectionCatalogTest, CountsFollowEveryChangeOfTheTrackList)
{
    setFavouriteTracks({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")});
    EXPECT_EQ(SectionCatalog::count(store(), Tab::playlist), 2);
    EXPECT_EQ(SectionCatalog::count(store(), Tab::favorites), 2);
    EXPECT_EQ(SectionCatalog::count(store(), Tab::covers), 0);

    QList<Track> tracks = store().tracks();
    tracks[0].isFavorite = false;
    tracks[1].isInCoverWorkspace = true;
    tracks.append(Track::make(url(QStringLiteral("c.mp3"))));
    tracks.last().isInPlaylist = true;
    store().setTracks(tracks);
    EXPECT_EQ(SectionCatalog::count(store(), Tab::playlist), 3);
    EXPECT_EQ(SectionCatalog::count(store(), Tab::favorites), 1);
    EXPECT_EQ(SectionCatalog::count(store(), Tab::covers), 1);
    const WorkspaceStatusInputs in = WorkspaceStatusInputs::read(store(), nullptr);
    EXPECT_EQ(in.playlistCount, 3);
    EXPECT_EQ(in.favoriteCount, 1);
    EXPECT_EQ(in.coverCount, 1);

    dropStore();
    makeStore();
    store().setTracks({Track::make(url(QStringLiteral("d.mp3")))});
    EXPECT_EQ(SectionCatalog::count(store(), Tab::playlist), 0);
    EXPECT_EQ(SectionCatalog::count(store(), Tab::favorites), 0);
    EXPECT_EQ(SectionCatalog::count(store(), Tab::covers), 0);
}

} // namespace
