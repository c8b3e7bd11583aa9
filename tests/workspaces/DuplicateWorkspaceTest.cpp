#include "workspaces/DuplicateWorkspace.h"

#include "library/TrackRemoval.h"
#include "platform/AppLanguage.h"
#include "platform/Defaults.h"
#include "platform/Trash.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"
#include "workspaces/DuplicateSearch.h"
#include "workspaces/DuplicateSearchFields.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace brivello;
using brivello::testing::LibraryStoreFixture;

namespace {

// Moves nothing: refuses the files it is told to, "moves" the others by deleting them.
class FakeTrash : public Trash
{
public:
    TrashOutcome trashItem(const QString &path) override
    {
        if (refused.contains(path))
            return {{},
                    TrashError{TrashError::permissionDenied, QStringLiteral("refused ") + path}};
        QFile::remove(path);
        return {path, std::nullopt};
    }
    QSet<QString> refused;
};

class DuplicateWorkspaceTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        m_services.trash = &m_trash;
        makeStore();
        store().setAudioPlayer(&m_player);
        m_search = new DuplicateSearch(store());
        m_workspace = new DuplicateWorkspace(store(), *m_search);
        for (const char *name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"})
            m_tracks.append(Track::make(touch(QString::fromLatin1(name), "x")));
        store().setDuplicateTracks(m_tracks);
        setDuplicateGroups(
            store(),
            {{QStringLiteral("g1"), {id(0), id(1), id(2)}, 10, DuplicateMatchKind::exact},
             {QStringLiteral("g2"), {id(2), id(3)}, 5, DuplicateMatchKind::exact}});
    }
    void TearDown() override { LibraryStoreFixture::TearDown(); }
    QUuid id(int index) const { return m_tracks[index].id; }
    FakeTrash m_trash;
    brivello::testing::RecordingAudioPlayer m_player;
    DuplicateSearch *m_search = nullptr;
    DuplicateWorkspace *m_workspace = nullptr;
    QList<Track> m_tracks;
};

TEST_F(DuplicateWorkspaceTest, FailedMoveKeepsTheFileListedGroupedAndSelected)
{
    m_trash.refused.insert(m_tracks[0].url.toLocalFile());
    setDuplicateSelectedTrackIDs(store(), {id(0), id(1), id(3)});
    setDuplicateFocusedTrackID(store(), id(3));
    m_workspace->trashDuplicateTracks({id(0), id(3)});
    EXPECT_EQ(store().lastError(), QStringLiteral("refused ") + m_tracks[0].url.toLocalFile());
    EXPECT_EQ(store().duplicateTracks().size(), 3);
    EXPECT_EQ(duplicateSelectedTrackIDs(store()), (QSet<QUuid>{id(0), id(1)}));
    EXPECT_TRUE(duplicateFocusedTrackID(store()) == id(0) ||
                duplicateFocusedTrackID(store()) == id(1));
    ASSERT_EQ(duplicateGroups(store()).size(), 1);
    EXPECT_EQ(duplicateGroups(store()).first().trackIDs, (QList<QUuid>{id(0), id(1), id(2)}));
    EXPECT_TRUE(QFile::exists(m_tracks[0].url.toLocalFile()));
}

TEST_F(DuplicateWorkspaceTest, LibraryTrashPrunesGroupsByFile)
{
    Track library = Track::make(m_tracks[1].url); // the same file under a library id
    store().setTracks({library});
    store().removal().trashTracks({library.id});
    ASSERT_EQ(duplicateGroups(store()).size(), 2);
    EXPECT_EQ(duplicateGroups(store()).first().trackIDs, (QList<QUuid>{id(0), id(2)}));
    EXPECT_EQ(duplicateGroups(store()).first().byteCount, 10);
}

TEST_F(DuplicateWorkspaceTest, ScopeTitleAndGroupTracks)
{
    Defaults::standard().set(kAppLanguageKey, QStringLiteral("ru"));
    EXPECT_EQ(m_workspace->duplicateSearchScopeTitle(), QStringLiteral("Источник не выбран"));
    setDuplicateSearchRoots(store(), {url(QStringLiteral("one"))});
    EXPECT_EQ(m_workspace->duplicateSearchScopeTitle(), path(QStringLiteral("one")));
    setDuplicateSearchRoots(store(),
                            {url(QStringLiteral("1")),
                             url(QStringLiteral("2")),
                             url(QStringLiteral("3")),
                             url(QStringLiteral("4")),
                             url(QStringLiteral("5"))});
    EXPECT_EQ(m_workspace->duplicateSearchScopeTitle(), QStringLiteral("5 источника"));
    Defaults::standard().set(kAppLanguageKey, QStringLiteral("en"));
    EXPECT_EQ(m_workspace->duplicateSearchScopeTitle(), QStringLiteral("5 sources"));

    AudioDuplicateGroup group{
        QStringLiteral("g"), {id(3), QUuid::createUuid(), id(0)}, 1, DuplicateMatchKind::exact};
    const QList<Track> found = m_workspace->tracks(group);
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0].id, id(3));
    EXPECT_EQ(found[1].id, id(0));
}

TEST_F(DuplicateWorkspaceTest, ClearEmptiesTheWorkspaceButTouchesNoFile)
{
    setDuplicateSearchRoots(store(), {url(QStringLiteral("a.mp3"))});
    setDuplicateScanProgress(store(), 0.5);
    m_workspace->clearDuplicateWorkspace();
    EXPECT_TRUE(store().duplicateTracks().isEmpty());
    EXPECT_TRUE(duplicateGroups(store()).isEmpty());
    EXPECT_TRUE(duplicateSearchRoots(store()).isEmpty());
    EXPECT_EQ(duplicateScanProgress(store()), 0.0);
    EXPECT_TRUE(QFile::exists(m_tracks[0].url.toLocalFile()));
}

} // namespace
