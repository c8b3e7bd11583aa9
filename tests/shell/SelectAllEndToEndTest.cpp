// Ctrl+A selects what the active section lists, and nothing where it lists nothing; the play
// key then starts only a track of that section.
#include "library/LibrarySections.h"
#include "library/TrackImporter.h"
#include "support/ui/EndToEndFixture.h"

namespace brivello {

class SelectAllEndToEndTest : public testing::EndToEndFixture
{
protected:
    void SetUp() override
    {
        EndToEndFixture::SetUp();
        m_files = importFolderInEnglishAtMinimumSize().files;
        ASSERT_EQ(m_files.size(), kFolderRows);
        store().importer().importForCovers(m_files);
        ASSERT_TRUE(
            spinUntil([&] { return store().sections().coverTracks().size() == kFolderRows; }));
    }

    qsizetype selectAllIn(Tab tab)
    {
        EXPECT_TRUE(clickSectionButton(tab));
        settle();
        pressKey(Qt::Key_A, Qt::ControlModifier);
        return store().sections().activeSelection().size();
    }

    QList<QUrl> m_files;
};

TEST_F(SelectAllEndToEndTest, CtrlAInAnEmptySectionSelectsNothingAndSpacePlaysNothing)
{
    EXPECT_EQ(selectAllIn(Tab::covers), kFolderRows);
    EXPECT_EQ(selectAllIn(Tab::duplicates), 0) << "the tracks of other sections were selected";
    EXPECT_EQ(store().selectedID(), std::nullopt);
    pressKey(Qt::Key_Space);
    settle(200);
    EXPECT_FALSE(player().currentID().has_value()) << "Space played a track the section lacks";
    EXPECT_FALSE(player().isPlaying());

    // Every other section: what it lists, nothing where it lists nothing.
    EXPECT_EQ(selectAllIn(Tab::favorites), 0);
    EXPECT_EQ(selectAllIn(Tab::analysis), 0);
    EXPECT_EQ(selectAllIn(Tab::playlist), kFolderRows);
    EXPECT_EQ(store().selectedID(), store().sections().playlistTracks().first().id);
}

} // namespace brivello
