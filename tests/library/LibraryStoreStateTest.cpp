#include "library/LibrarySettingsKeys.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "support/LibraryStoreFixture.h"

#include <gtest/gtest.h>

using namespace brivello;
using brivello::testing::LibraryStoreFixture;
using Tab = LibraryStore::LibraryTab;
using Tone = LibraryStore::WorkspaceStatus::Tone;

namespace {

Track favourite(const QString &file, const QString &genre, const QString &title = {})
{
    Track track = Track::make(QUrl::fromLocalFile(file));
    track.isFavorite = true;
    track.tags.genre = genre;
    track.tags.title = title;
    return track;
}

class LibraryStoreStateTest : public LibraryStoreFixture
{
};

TEST_F(LibraryStoreStateTest, NewerStatusReplacesTheOldAndClearsAfterItsOwnDuration)
{
    LibraryStore &s = makeStore();
    s.showStatus(QStringLiteral("один"), QStringLiteral("trash"), Tone::neutral);
    const QUuid first = s.workspaceStatus()->id;
    m_scheduler.advance(1.0);
    s.showStatus(QStringLiteral("два"), QStringLiteral("heart.fill"), Tone::success);
    ASSERT_TRUE(s.workspaceStatus().has_value());
    EXPECT_NE(s.workspaceStatus()->id, first);
    EXPECT_EQ(s.workspaceStatus()->message, QStringLiteral("два"));
    EXPECT_EQ(s.workspaceStatus()->tone, Tone::success);
    m_scheduler.advance(2.7); // 3.7 s after the first line
    EXPECT_TRUE(s.workspaceStatus().has_value());
    m_scheduler.advance(0.9); // 3.6 s after the second
    EXPECT_FALSE(s.workspaceStatus().has_value());
}

TEST_F(LibraryStoreStateTest, GenreFilterTurnsOffOnlyUntaggedAndPrunesTheSelection)
{
    LibraryStore &s = makeStore();
    const Track house = favourite(QStringLiteral("/m/a.mp3"), QStringLiteral("House"));
    const Track techno = favourite(QStringLiteral("/m/b.mp3"), QStringLiteral("Techno"));
    s.setTracks({house, techno});
    s.setActiveTab(Tab::favorites);
    s.setFavoriteOnlyUntagged(true);
    s.setSelectedIDs({house.id, techno.id});
    s.setSelectedID(techno.id);

    int posts = 0;
    QObject receiver;
    NotificationCenter::defaultCenter().observe(brivelloFavoriteGenreFilterDidChange,
                                                &s,
                                                &receiver,
                                                [&posts](const Notification &) { ++posts; });
    s.setFavoriteGenreFilter(QStringLiteral("House"));
    EXPECT_FALSE(s.favoriteOnlyUntagged());
    EXPECT_EQ(posts, 2); // once from each handler
    EXPECT_FALSE(Defaults::standard().boolean(kFavoriteOnlyUntaggedKey, true));
    EXPECT_EQ(Defaults::standard().string(kFavoriteGenreFilterKey), QStringLiteral("House"));
    EXPECT_EQ(s.selectedIDs(), QSet<QUuid>{house.id});
    EXPECT_FALSE(s.selectedID().has_value());

    s.setFavoriteOnlyUntagged(false);
    s.setFavoriteGenreFilter(QString());
    EXPECT_FALSE(s.favoriteOnlyUntagged());
}

} // namespace
