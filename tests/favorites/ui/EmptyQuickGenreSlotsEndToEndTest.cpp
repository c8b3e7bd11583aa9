// Every quick-genre slot emptied in the settings, met in the real window's favourites section.
#include "favorites/ui/FavoritesSection.h"
#include "favorites/ui/FavoritesTableGestures.h"
#include "favorites/ui/FavoritesTableView.h"
#include "favorites/ui/GenreCapsuleButton.h"
#include "favorites/ui/GenreQuickBar.h"
#include "library/FavoriteMembership.h"
#include "library/GenreEditing.h"
#include "library/LibrarySections.h"
#include "platform/Defaults.h"
#include "shell/ContentArea.h"
#include "support/ui/EndToEndFixture.h"

#include <QUndoStack>

namespace brivello {
namespace {

class EmptyQuickGenreSlotsEndToEndTest : public testing::EndToEndFixture
{
};

// Nine empty lines: the bar shows no chip but keeps its search, toggle and clear buttons, and
// the digit keys 1 to 9 over a selection of favourites change no genre, in the library or in
// the files, and put up no status line and no undo step.
TEST_F(EmptyQuickGenreSlotsEndToEndTest, TheDigitKeysAndTheBarAssignNothing)
{
    Defaults::standard().set(QStringLiteral("quickGenreSlots"), QString(8, QLatin1Char('\n')));
    restartApp();
    ASSERT_EQ(store().genreEditing().quickGenreSlots().join(QLatin1Char('|')).toStdString(),
              "||||||||");

    QStringList files;
    for (int i = 0; i < 3; ++i) {
        files << makeAudio(QStringLiteral("fav/%1.flac").arg(i),
                           0.5,
                           {QStringLiteral("-metadata"),
                            QStringLiteral("genre=House"),
                            QStringLiteral("-metadata"),
                            QStringLiteral("title=Song %1").arg(i)});
    }
    const QList<QUuid> ids = importAndWait(urls(files));
    ASSERT_EQ(ids.size(), 3);
    store().favorites().toggleFavorites(QSet<QUuid>(ids.cbegin(), ids.cend()), nullptr);
    ASSERT_TRUE(clickSectionButton(Tab::favorites));
    auto *section = qobject_cast<FavoritesSection *>(window().contentArea()->currentView());
    ASSERT_TRUE(section);
    GenreQuickBar *bar = section->findChild<GenreQuickBar *>();
    ASSERT_TRUE(bar);
    EXPECT_TRUE(bar->chips().isEmpty());
    EXPECT_TRUE(bar->searchButton()->isVisible());
    EXPECT_TRUE(bar->untaggedToggle()->isVisible());
    EXPECT_TRUE(bar->clearButton()->isVisible());

    FavoritesTableView &table = *section->table();
    clickAt(table.viewport(), testing::favoritesCellCenter(table, 0, QStringLiteral("album")));
    clickAt(table.viewport(),
            testing::favoritesCellCenter(table, 2, QStringLiteral("album")),
            Qt::ControlModifier);
    ASSERT_EQ(store().sections().activeSelection().size(), 2);
    store().setWorkspaceStatus(std::nullopt);
    const int undoSteps = window().undoStack()->count();

    for (int key = Qt::Key_1; key <= Qt::Key_9; ++key)
        pressKey(key);
    settle(300);

    EXPECT_TRUE(bar->chips().isEmpty());
    EXPECT_EQ(statusMessage().toStdString(), "");
    EXPECT_FALSE(store().lastError()) << store().lastError()->toStdString();
    EXPECT_EQ(window().undoStack()->count(), undoSteps);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(track(ids[i]));
        EXPECT_EQ(track(ids[i])->tags.genre.toStdString(), "House") << i;
        EXPECT_TRUE(track(ids[i])->isFavorite) << i;
        EXPECT_EQ(tag(files[i], QStringLiteral("genre")).toStdString(), "House") << i;
    }
    EXPECT_EQ(store().activeTab(), Tab::favorites);
}

} // namespace
} // namespace brivello
