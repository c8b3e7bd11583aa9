// Ctrl+A selects what the active section lists, and nothing where it lists nothing; the play
// key then starts only a track of that section.
#include "library/LibrarySections.h"
#include "library/TrackImporter.h"
#include "support/ui/EndToEndFixture.h"

namespace brivello {

class SelectAllEndToEndTest : public testing::EndToEndFixture
{
protected:
    // More rows than the lists show at the minimum size (nine), so Ctrl+A has to reach rows
    // out of sight; each one more is a file to render and read.
    static constexpr int kRows = 14;

    void SetUp() override
    {
        EndToEndFixture::SetUp();
        m_files = importFolderInEnglishAtMinimumSize(kRows).files;
        ASSERT_EQ(m_files.size(), kRows);
        store().importer().importForCovers(m_files);
        ASSERT_TRUE(spinUntil([&] { return store().sections().coverTracks().size() == kRows; }));
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
    EXPECT_EQ(selectAllIn(Tab::covers), kRows);
    EXPECT_EQ(selectAllIn(Tab::duplicates), 0) << "the tracks of other sections were selected";
    EXPECT_EQ(store().selectedID(), std::nullopt);
    pressKey(Qt::Key_Space);
    settle(200);
    EXPECT_FALSE(player().currentID().has_value()) << "Space played a track the section lacks";
    EXPECT_FALSE(player().isPlaying());

    // Every other section: what it lists, nothing where it lists nothing.
    EXPECT_EQ(selectAllIn(Tab::favorites), 0);
    EXPECT_EQ(selectAllIn(Tab::analysis), 0);
    EXPECT_EQ(selectAllIn(Tab::playlist), kRows);
    EXPECT_EQ(store().selectedID(), store().sections().playlistTracks().first().id);
}

} // namespace brivello
