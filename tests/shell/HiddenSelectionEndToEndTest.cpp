// Commands on the selection act only on tracks the section shows: a favourite that an edit
// moved out of the genre filter stays selected in the store, but out of sight.
#include "library/FavoriteMembership.h"
#include "library/GenreEditing.h"
#include "library/LibrarySections.h"
#include "shell/ActionButton.h"
#include "shell/SectionToolbar.h"
#include "support/ui/EndToEndFixture.h"
#include "workspaces/ui/WorkspaceStatusBar.h"

#include <QFileInfo>
#include <QTest>

namespace brivello {

class HiddenSelectionEndToEndTest : public testing::EndToEndFixture
{
protected:
    // Two selected favourites filtered by genre; an edit then takes the first out of the list.
    QList<QUuid> selectTwoAndHideTheFirst()
    {
        const QList<QUuid> ids = importAndWait(urls({makeAudio("a.mp3"), makeAudio("b.mp3")}));
        EXPECT_EQ(ids.size(), 2);
        if (ids.size() != 2)
            return {};
        store().favorites().addToFavorites({ids[0], ids[1]});
        store().genreEditing().assignGenre(QStringLiteral("Techno"), {ids[0], ids[1]});
        showSection(Tab::favorites);
        store().setFavoriteGenreFilter(QStringLiteral("Techno"));
        store().setSelectedIDs({ids[0], ids[1]});
        store().setSelectedID(ids[0]);
        store().genreEditing().assignGenre(QStringLiteral("House"), {ids[0]});
        settle();
        return ids;
    }
    QString genreOf(const QUuid &id)
    {
        for (const Track &track : store().tracks()) {
            if (track.id == id)
                return track.tags.genre;
        }
        return {};
    }
};

TEST_F(HiddenSelectionEndToEndTest, TrashAndRemoveSkipFavouritesTheFilterHides)
{
    const QList<QUuid> ids = selectTwoAndHideTheFirst();
    ASSERT_EQ(ids.size(), 2);
    // The selection keeps the hidden track.
    ASSERT_TRUE(store().selectedIDs().contains(ids[0]));
    EXPECT_EQ(store().sections().visibleSelection(), QSet<QUuid>{ids[1]});

    pressKey(Qt::Key_Delete);
    const auto favourite = [this](const QUuid &id) {
        for (const Track &track : store().tracks()) {
            if (track.id == id)
                return track.isFavorite;
        }
        return false;
    };
    EXPECT_TRUE(favourite(ids[0]));
    EXPECT_FALSE(favourite(ids[1]));

    store().favorites().addToFavorites({ids[1]});
    store().setSelectedIDs({ids[0], ids[1]});
    pressKey(Qt::Key_Backspace, Qt::ControlModifier);
    ASSERT_TRUE(spinUntil([&] { return !QFileInfo::exists(path("b.mp3")); }, 10000));
    EXPECT_TRUE(QFileInfo::exists(path("a.mp3")));
}

TEST_F(HiddenSelectionEndToEndTest, TheCleanButtonSkipsFavouritesTheFilterHides)
{
    const QList<QUuid> ids = selectTwoAndHideTheFirst();
    ASSERT_EQ(ids.size(), 2);
    const QList<ActionButton *> buttons = window().toolbar()->buttons();
    ASSERT_FALSE(buttons.isEmpty());
    ASSERT_EQ(buttons.first()->titleKey(), QStringLiteral("Очистить выбранные"));
    QTest::mouseClick(buttons.first(), Qt::LeftButton);
    settle();
    EXPECT_EQ(statusMessage(), QStringLiteral("Очистка применена: 1"));
    EXPECT_EQ(genreOf(ids[0]), QStringLiteral("House"));
    EXPECT_EQ(genreOf(ids[1]), QString());
}

// The status block's "Выбрано" counts what the keys would act on: a removal undone from the
// favourites selects playlist tracks the favourites do not show.
TEST_F(HiddenSelectionEndToEndTest, TheSelectionCountLeavesOutTracksTheSectionDoesNotShow)
{
    const QList<QUuid> ids = importAndWait(urls(makeAudioFiles(QStringLiteral("%1.mp3"), 5, 0.3)));
    ASSERT_EQ(ids.size(), 5);
    store().favorites().addToFavorites({ids[0], ids[1], ids[2]});
    showSection(Tab::playlist);
    store().setSelectedIDs({ids[3], ids[4]});
    store().setSelectedID(ids[3]);
    pressKey(Qt::Key_Delete);
    ASSERT_EQ(store().sections().playlistTracks().size(), 3);
    ASSERT_TRUE(clickSectionButton(Tab::favorites));
    pressKey(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(statusMessage(), QStringLiteral("Восстановлено: 2"));
    ASSERT_EQ(store().sections().playlistTracks().size(), 5);

    auto *block = window().findChild<WorkspaceStatusBar *>();
    ASSERT_TRUE(block);
    store().setWorkspaceStatus(std::nullopt);
    settle();
    const WorkspaceStatusSummary::Lines lines = block->summary().sidebarText();
    EXPECT_EQ(lines.primary, QStringLiteral("Избранное: 3"));
    EXPECT_FALSE(lines.detail.has_value()) << lines.detail->toStdString();

    ASSERT_TRUE(clickSectionButton(Tab::playlist));
    store().setSelectedIDs({ids[0], ids[3], ids[4]});
    settle();
    EXPECT_EQ(block->summary().sidebarText().detail, QStringLiteral("Выбрано: 3"));
}

} // namespace brivello
