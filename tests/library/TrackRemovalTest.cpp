#include "library/TrackRemoval.h"

#include "audiofiles/MetadataWriteCoordinator.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/Trash.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"
#include "support/WaitForResult.h"

#include <QCoroTask>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace brivello;
using brivello::testing::LibraryStoreFixture;
using brivello::testing::RecordingAudioPlayer;
using Tone = LibraryStore::WorkspaceStatus::Tone;

namespace {

class TrackRemovalTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        m_savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
        makeStore();
        store().setAudioPlayer(&m_player);
    }
    void TearDown() override
    {
        qputenv("XDG_DATA_HOME", m_savedData);
        NotificationCenter::defaultCenter().removeObservers(&m_receiver);
        LibraryStoreFixture::TearDown();
    }

    Track track(const QString &name, bool playlist = true)
    {
        Track made = Track::make(url(name));
        made.isInPlaylist = playlist;
        return made;
    }
    QList<QUuid> ids() const
    {
        QList<QUuid> list;
        for (const Track &t : m_store->tracks())
            list.append(t.id);
        return list;
    }
    const int *counter(const QString &name)
    {
        int *posts = m_counters.emplace_back(std::make_unique<int>(0)).get();
        NotificationCenter::defaultCenter().observe(
            name, nullptr, &m_receiver, [posts](const Notification &) { ++*posts; });
        return posts;
    }
    QString statusMessage() const
    {
        return m_store->workspaceStatus() ? m_store->workspaceStatus()->message : QString();
    }

    RecordingAudioPlayer m_player;
    QObject m_receiver;
    std::vector<std::unique_ptr<int>> m_counters;
    QTemporaryDir m_data;
    QByteArray m_savedData;
};

} // namespace

TEST_F(TrackRemovalTest, PlaylistRemovalOfFavouriteAndPlainTrackUndoesInPlace)
{
    Track a = track("a.mp3"), fav = track("fav.mp3"), b = track("b.mp3"), c = track("c.mp3");
    fav.isFavorite = fav.isInCoverWorkspace = true;
    store().setTracks({a, fav, b, c});
    store().setSelectedIDs({fav.id, b.id});

    store().removal().removeTracksFromPlaylist({fav.id, b.id});
    EXPECT_EQ(ids(), (QList<QUuid>{a.id, fav.id, c.id}));
    EXPECT_FALSE(store().tracks()[1].isInPlaylist);
    EXPECT_TRUE(store().selectedIDs().isEmpty());
    EXPECT_EQ(statusMessage(), "Убрано из плейлиста: 2");
    EXPECT_FALSE(store().removal().canUndoPhysicalTrash());

    store().removal().undoLastRemoval();
    EXPECT_EQ(ids(), (QList<QUuid>{a.id, fav.id, b.id, c.id}));
    EXPECT_TRUE(store().tracks()[1].isInPlaylist);
    EXPECT_EQ(statusMessage(), "Восстановлено: 2");
    EXPECT_EQ(store().workspaceStatus()->tone, Tone::success);
    EXPECT_EQ(store().selectedIDs(), (QSet<QUuid>{fav.id, b.id}));
    EXPECT_EQ(store().selectedID(), fav.id);
}

TEST_F(TrackRemovalTest, SuccessiveRemovalsUndoLatestFirstAtTheirPositions)
{
    Track t0 = track("0.mp3"), t1 = track("1.mp3"), t2 = track("2.mp3"), t3 = track("3.mp3");
    Track covers = track("covers.mp3", false);
    covers.isInCoverWorkspace = true;
    store().setTracks({t0, t1, covers, t2, t3});
    store().removal().removeTracksFromPlaylist({t1.id, t3.id});
    store().removal().removeTracksFromPlaylist({covers.id, QUuid::createUuid()});
    EXPECT_EQ(ids(), (QList<QUuid>{t0.id, t2.id}));

    store().removal().undoLastRemoval();
    EXPECT_EQ(ids(), (QList<QUuid>{t0.id, covers.id, t2.id}));
    EXPECT_TRUE(store().tracks()[1].isInCoverWorkspace);

    store().removal().undoLastRemoval();
    EXPECT_EQ(ids(), (QList<QUuid>{t0.id, t1.id, covers.id, t2.id, t3.id}));

    const auto before = store().workspaceStatus();
    store().removal().undoLastRemoval(); // empty history
    EXPECT_EQ(store().workspaceStatus(), before);
    EXPECT_EQ(ids().size(), 5);
}

TEST_F(TrackRemovalTest, UndoAfterTheFileWasImportedAgainMergesIntoThatTrack)
{
    Track a = track("a.mp3");
    a.isInCoverWorkspace = true;
    store().setTracks({a});
    store().removal().removeTracksFromPlaylist({a.id});
    Track again = track("a.mp3");
    store().setTracks({again});

    store().removal().undoLastRemoval();
    ASSERT_EQ(store().tracks().size(), 1);
    EXPECT_EQ(store().tracks()[0].id, again.id);
    EXPECT_TRUE(store().tracks()[0].isInCoverWorkspace);
    EXPECT_EQ(store().selectedID(), again.id);
}

TEST_F(TrackRemovalTest, TrashMovesFilesAwayAndUndoBringsThemBack)
{
    const QUrl u1 = touch("one.mp3", "first"), u2 = touch("two.mp3", "second");
    Track one = track("one.mp3"), missing = track("missing.mp3"), two = track("two.mp3");
    store().setTracks({one, missing, two});
    {
        DuplicateSearchState search = store().duplicateSearch();
        search.groups = {{"g", {one.id, two.id, missing.id}, 10, DuplicateMatchKind::exact}};
        store().setDuplicateSearch(std::move(search));
    }
    const int *posts = counter(brivelloFavoriteMembershipDidChange);

    store().removal().trashTracks({one.id, missing.id, two.id});
    EXPECT_EQ(ids(), QList<QUuid>{missing.id});
    EXPECT_FALSE(QFileInfo::exists(u1.toLocalFile()));
    EXPECT_FALSE(QFileInfo::exists(u2.toLocalFile()));
    ASSERT_TRUE(store().lastError());
    EXPECT_TRUE(store().lastError()->contains("missing.mp3"));
    EXPECT_FALSE(store().workspaceStatus());
    EXPECT_TRUE(store().duplicateSearch().groups.isEmpty());
    EXPECT_EQ(*posts, 1);
    EXPECT_TRUE(store().removal().canUndoPhysicalTrash());

    store().removal().undoLastRemoval();
    EXPECT_EQ(ids(), (QList<QUuid>{one.id, missing.id, two.id}));
    QFile f1(u1.toLocalFile()), f2(u2.toLocalFile());
    ASSERT_TRUE(f1.open(QIODevice::ReadOnly) && f2.open(QIODevice::ReadOnly));
    EXPECT_EQ(f1.readAll(), "first");
    EXPECT_EQ(f2.readAll(), "second");
    EXPECT_FALSE(store().removal().canUndoPhysicalTrash());
    EXPECT_EQ(*posts, 2);
}

TEST_F(TrackRemovalTest, TakenPlaceKeepsTheEntryUntilTheUserFreesIt)
{
    touch("keep.mp3", "mine");
    touch("other.mp3", "other");
    Track keep = track("keep.mp3"), other = track("other.mp3");
    store().setTracks({keep, other});
    store().removal().trashTracks({keep.id, other.id});
    touch("keep.mp3", "newcomer");

    store().removal().undoLastRemoval();
    EXPECT_EQ(ids(), QList<QUuid>{other.id});
    ASSERT_TRUE(store().lastError());
    EXPECT_EQ(*store().lastError(),
              "Не удалось восстановить «keep.mp3»: Файл «keep.mp3» уже существует.");
    EXPECT_TRUE(store().removal().canUndoPhysicalTrash());
    QFile taken(path("keep.mp3"));
    ASSERT_TRUE(taken.open(QIODevice::ReadOnly));
    EXPECT_EQ(taken.readAll(), "newcomer");
    taken.close();

    QFile::remove(path("keep.mp3"));
    store().removal().undoLastRemoval();
    EXPECT_EQ(ids(), (QList<QUuid>{keep.id, other.id}));
    EXPECT_FALSE(store().removal().canUndoPhysicalTrash());
}

TEST_F(TrackRemovalTest, TrashEntryGoneIsReportedAndStaysInTheHistory)
{
    touch("gone.mp3");
    Track gone = track("gone.mp3");
    store().setTracks({gone});
    store().removal().trashTracks({gone.id});
    ASSERT_TRUE(QFile::remove(Trash::homeTrashPath() + "/files/gone.mp3"));

    store().removal().undoLastRemoval();
    EXPECT_TRUE(store().tracks().isEmpty());
    ASSERT_TRUE(store().lastError());
    EXPECT_TRUE(store().lastError()->startsWith("Не удалось восстановить «gone.mp3»: "));
    EXPECT_TRUE(store().removal().canUndoPhysicalTrash());
    EXPECT_FALSE(QFileInfo::exists(path("gone.mp3")));
}

TEST_F(TrackRemovalTest, AFileBeingRewrittenStaysOutOfTheTrash)
{
    // A rewrite in flight would put a second copy back at the old place.
    const QUrl busy = touch("busy.mp3", "busy"), idle = touch("idle.mp3", "idle");
    Track first = track("busy.mp3"), second = track("idle.mp3");
    store().setTracks({first, second});
    MetadataWriteCoordinator::Acquire acquiring =
        MetadataWriteCoordinator::shared().acquire(MetadataWriteCoordinator::lockKey(busy));
    MetadataWriteCoordinator::Permit held = test::waitForResult(
        [&]() -> QCoro::Task<MetadataWriteCoordinator::Permit> { co_return co_await acquiring; }());

    store().removal().trashTracks({first.id, second.id});
    EXPECT_EQ(ids(), QList<QUuid>{first.id});
    EXPECT_TRUE(QFileInfo::exists(busy.toLocalFile()));
    EXPECT_FALSE(QFileInfo::exists(idle.toLocalFile()));
    ASSERT_TRUE(store().lastError());
    EXPECT_TRUE(store().lastError()->contains("busy.mp3"));
    held.release();

    store().removal().undoLastRemoval();
    EXPECT_EQ(ids(), (QList<QUuid>{first.id, second.id}));
    EXPECT_TRUE(QFileInfo::exists(idle.toLocalFile()));
}
