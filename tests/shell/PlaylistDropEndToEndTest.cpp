// Files and folders dropped on the playlist in the real window: one drop, one count.
#include "library/LibrarySections.h"
#include "shell/ContentArea.h"
#include "shell/PlaylistDropTarget.h"
#include "shell/PlaylistView.h"
#include "support/ui/EndToEndFixture.h"

namespace brivello {
namespace {

class PlaylistDropEndToEndTest : public testing::EndToEndFixture
{
protected:
    // Drops `files` on the playlist's visible drop target (the empty zone or the strip).
    bool dropOnPlaylist(const QStringList &files)
    {
        auto *target = visibleWidget<PlaylistDropTarget>();
        return target && dropFiles(target, target->rect().center(), files);
    }
    bool statusBecomes(const QString &message)
    {
        return spinUntil([&] { return statusMessage() == message; }, 20000);
    }
};

TEST_F(PlaylistDropEndToEndTest, ADropOfSeveralItemsReportsEveryTrackItAdded)
{
    makeAudioFiles(QStringLiteral("first/%1.mp3"), 5, 0.3);
    makeAudioFiles(QStringLiteral("second/%1.mp3"), 5, 0.3);
    ASSERT_TRUE(dropOnPlaylist({path("first"), path("second")}));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Добавлено в плейлист: 10")))
        << "the status says " << statusMessage().toStdString();
    EXPECT_EQ(store().sections().playlistTracks().size(), 10);

    // A folder and a file: the strip under the filled playlist takes them.
    makeAudioFiles(QStringLiteral("third/%1.mp3"), 3, 0.3);
    const QString single = makeAudio(QStringLiteral("single.mp3"), 0.3);
    ASSERT_TRUE(dropOnPlaylist({path("third"), single}));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Добавлено в плейлист: 4")))
        << "the status says " << statusMessage().toStdString();
    EXPECT_EQ(store().sections().playlistTracks().size(), 14);

    // The same outside the rows on the list itself.
    makeAudioFiles(QStringLiteral("fourth/%1.mp3"), 2, 0.3);
    const QString another = makeAudio(QStringLiteral("another.mp3"), 0.3);
    auto *list = visibleWidget<PlaylistView>();
    ASSERT_TRUE(list);
    const QPoint below(list->viewport()->width() / 2, list->viewport()->height() - 4);
    ASSERT_TRUE(dropFiles(list->viewport(), below, {path("fourth"), another}));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Добавлено в плейлист: 3")))
        << "the status says " << statusMessage().toStdString();
}

} // namespace
} // namespace brivello
