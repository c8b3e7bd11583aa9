#include "workspaces/SectionCounts.h"

#include "support/LibraryStoreFixture.h"
#include "workspaces/WorkspaceStatusSummary.h"

#include <gtest/gtest.h>

using namespace brivello;
using brivello::testing::LibraryStoreFixture;
using Tab = LibraryStore::LibraryTab;

namespace {

class SectionCountsTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
    }
};

// The counts are kept between reads; every assignment of the track list renews them, and a
// second store's counts never see the first one's.
TEST_F(SectionCountsTest, CountsFollowEveryChangeOfTheTrackList)
{
    const SectionCounts counts(store());
    setFavouriteTracks({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")});
    EXPECT_EQ(counts.count(Tab::playlist), 2);
    EXPECT_EQ(counts.count(Tab::favorites), 2);
    EXPECT_EQ(counts.count(Tab::covers), 0);

    QList<Track> tracks = store().tracks();
    tracks[0].isFavorite = false;
    tracks[1].isInCoverWorkspace = true;
    tracks.append(Track::make(url(QStringLiteral("c.mp3"))));
    tracks.last().isInPlaylist = true;
    store().setTracks(tracks);
    EXPECT_EQ(counts.count(Tab::playlist), 3);
    EXPECT_EQ(counts.count(Tab::favorites), 1);
    EXPECT_EQ(counts.count(Tab::covers), 1);
    const WorkspaceStatusInputs in = WorkspaceStatusInputs::read(store(), counts, nullptr);
    EXPECT_EQ(in.playlistCount, 3);
    EXPECT_EQ(in.favoriteCount, 1);
    EXPECT_EQ(in.coverCount, 1);

    dropStore();
    makeStore();
    store().setTracks({Track::make(url(QStringLiteral("d.mp3")))});
    const SectionCounts second(store());
    EXPECT_EQ(second.count(Tab::playlist), 0);
    EXPECT_EQ(second.count(Tab::favorites), 0);
    EXPECT_EQ(second.count(Tab::covers), 0);
}

// The workspace sections count their own lists: conversions, files to analyse, duplicate groups.
TEST_F(SectionCountsTest, WorkspaceSectionsCountTheirOwnLists)
{
    const SectionCounts counts(store());
    store().setConversionItems(QList<ConversionItem>(2));
    store().setAnalysisTracks({Track::make(url(QStringLiteral("x.flac"))),
                               Track::make(url(QStringLiteral("y.flac"))),
                               Track::make(url(QStringLiteral("z.flac")))});
    DuplicateSearchState search = store().duplicateSearch();
    search.groups = {AudioDuplicateGroup{QStringLiteral("g"), {}, 0, {}}};
    store().setDuplicateSearch(std::move(search));
    EXPECT_EQ(counts.count(Tab::converter), 2);
    EXPECT_EQ(counts.count(Tab::analysis), 3);
    EXPECT_EQ(counts.count(Tab::duplicates), 1);
}

} // namespace
