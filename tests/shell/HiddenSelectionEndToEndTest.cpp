// Commands on the selection act only on tracks the section shows: a favourite that an edit
// moved out of the genre filter stays selected in the store, but out of sight.
#include "library/FavoriteMembership.h"
#include "library/GenreEditing.h"
#include "library/LibrarySections.h"
#include "support/ui/EndToEndFixture.h"

#include <QFileInfo>

namespace brivello {

class HiddenSelectionEndToEndTest : public testing::EndToEndFixture
{
};

TEST_F(HiddenSelectionEndToEndTest, TrashAndRemoveSkipFavouritesTheFilterHides)
{
    const QList<QUuid> ids = importAndWait(urls({makeAudio("a.mp3"), makeAudio("b.mp3")}));
    ASSERT_EQ(ids.size(), 2);
    store().favorites().addToFavorites({ids[0], ids[1]});
    store().genreEditing().assignGenre(QStringLiteral("Techno"), {ids[0], ids[1]});
    showSection(Tab::favorites);
    store().setFavoriteGenreFilter(QStringLiteral("Techno"));
    store().setSelectedIDs({ids[0], ids[1]});
    store().setSelectedID(ids[0]);
    // The edit takes the first track out of the filtered list; the selection keeps it.
    store().genreEditing().assignGenre(QStringLiteral("House"), {ids[0]});
    settle();
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

} // namespace brivello
