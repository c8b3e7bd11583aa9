#include "library/FavoriteMembership.h"

#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"

#include <QUndoStack>
#include <gtest/gtest.h>

using namespace brivello;
using brivello::testing::LibraryStoreFixture;
using brivello::testing::RecordingAudioPlayer;
using Tab = LibraryStore::LibraryTab;

namespace {

class FavoriteMembershipTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
        NotificationCenter::defaultCenter().observe(
            brivelloFavoriteMembershipDidChange,
            nullptr,
            &m_receiver,
            [this](const Notification &) { ++m_membershipPosts; });
        NotificationCenter::defaultCenter().observe(
            brivelloFocusFavoriteTrack, nullptr, &m_receiver, [this](const Notification &note) {
                m_focused.append(note.userInfo.value(kUserInfoTrackID).value<QUuid>());
            });
    }
    void TearDown() override
    {
        NotificationCenter::defaultCenter().removeObservers(&m_receiver);
        LibraryStoreFixture::TearDown();
    }

    Track track(const QString &name, bool favourite = false)
    {
        Track made = Track::make(url(name));
        made.isInPlaylist = true;
        made.isFavorite = made.isInCoverWorkspace = favourite;
        return made;
    }
    QList<std::pair<bool, bool>> flags() const
    {
        QList<std::pair<bool, bool>> list;
        for (const Track &t : m_store->tracks())
            list.append({t.isFavorite, t.isInCoverWorkspace});
        return list;
    }

    QObject m_receiver;
    int m_membershipPosts = 0;
    QList<QUuid> m_focused;
    QUndoStack m_undo;
};

} // namespace

TEST_F(FavoriteMembershipTest, ToggleOfAMixedSetFlipsEachAndUndoRedoAlternate)
{
    QList<Track> list;
    for (int i = 0; i < 5; ++i)
        list.append(track(QString("%1.mp3").arg(i), i < 3));
    list[3].isInCoverWorkspace = true; // covers member, not a favourite
    store().setTracks(list);
    QSet<QUuid> all;
    for (const Track &t : list)
        all.insert(t.id);
    const auto before = flags();

    store().favorites().toggleFavorites(all, &m_undo);
    const QList<std::pair<bool, bool>> toggled{
        {false, false}, {false, false}, {false, false}, {true, true}, {true, true}};
    EXPECT_EQ(flags(), toggled);
    EXPECT_EQ(store().workspaceStatus()->message, "Избранное обновлено: 5");
    ASSERT_EQ(m_undo.count(), 1);
    EXPECT_EQ(m_undo.undoText(), "Изменить избранное");

    for (int round = 0; round < 3; ++round) {
        m_undo.undo();
        EXPECT_EQ(flags(), before);
        m_undo.redo();
        EXPECT_EQ(flags(), toggled);
    }
    EXPECT_EQ(m_membershipPosts, 7);
}

TEST_F(FavoriteMembershipTest, RemoveFromFavouritesLeavesCoversAndMovesPlaybackOn)
{
    RecordingAudioPlayer player;
    store().setAudioPlayer(&player);
    Track f1 = track("1.mp3", true), f2 = track("2.mp3", true), plain = track("3.mp3");
    store().setTracks({f1, f2, plain});

    store().favorites().removeFromFavorites({plain.id}, &m_undo);
    EXPECT_EQ(m_undo.count(), 0);
    EXPECT_FALSE(store().workspaceStatus());

    player.current = f1.id;
    store().favorites().removeFromFavorites({f1.id, plain.id}, &m_undo);
    EXPECT_EQ(flags()[0], std::make_pair(false, false));
    EXPECT_EQ(player.played, QList<QUuid>{f2.id});
    m_undo.undo();
    EXPECT_EQ(flags()[0], std::make_pair(true, true));
}

TEST_F(FavoriteMembershipTest, InTheFavouritesSectionTheSelectionFollows)
{
    Track a = track("a.mp3"), b = track("b.mp3"), c = track("c.mp3", true);
    store().setTracks({a, b, c});
    store().setActiveTab(Tab::favorites);
    store().setSelectedIDs({c.id});
    store().setSelectedID(c.id);

    store().favorites().addToFavorites({b.id, a.id});
    EXPECT_EQ(store().selectedIDs(), (QSet<QUuid>{a.id, b.id}));
    EXPECT_EQ(store().selectedID(), a.id);
    EXPECT_EQ(m_focused, QList<QUuid>{a.id});

    store().favorites().removeFromFavorites({a.id}, &m_undo);
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{b.id});
    EXPECT_FALSE(store().selectedID());
    EXPECT_EQ(m_focused.size(), 1);

    store().setActiveTab(Tab::playlist);
    store().setSelectedIDs({});
    store().favorites().addToFavorites({a.id});
    EXPECT_TRUE(store().selectedIDs().isEmpty());
    EXPECT_EQ(m_membershipPosts, 3);
}

TEST_F(FavoriteMembershipTest, SendingToAnalysisAndConverterSkipsWhatIsThere)
{
    Track a = track("a.mp3"), b = track("b.mp3");
    store().setTracks({a, b});
    store().setAnalysisTracks({a});

    store().favorites().addTracksToAnalysis({a.id});
    EXPECT_FALSE(store().workspaceStatus());
    EXPECT_EQ(store().analysisTracks().size(), 1);
    store().favorites().addTracksToAnalysis({a.id, b.id});
    ASSERT_EQ(store().analysisTracks().size(), 2);
    EXPECT_EQ(store().analysisTracks()[1].id, b.id);
    EXPECT_EQ(store().analysis().pendingQualityTrackIDs(), QList<QUuid>{b.id});
    EXPECT_EQ(store().workspaceStatus()->message, "Отправлено в анализ: 1");

    EXPECT_EQ(store().favorites().addTracksToConversion({b.id, a.id}), 2);
    EXPECT_EQ(store().conversionItems()[0].url, a.url);
    EXPECT_EQ(store().workspaceStatus()->message, "Добавлено в конвертер: 2");
    store().setWorkspaceStatus(std::nullopt);
    EXPECT_EQ(store().favorites().addTracksToConversion({a.id, b.id}), 0);
    EXPECT_FALSE(store().workspaceStatus());
    EXPECT_EQ(store().conversionItems().size(), 2);
}
