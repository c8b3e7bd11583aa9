#include "support/ui/EndToEndFixture.h"

#include <QFile>
#include <QSignalSpy>

namespace brivello {

using SnapshotSaveEndToEndTest = testing::EndToEndFixture;

// A long import in the real window: tags load in batches and every track gets a tempo
// estimate. The snapshot is written once the import and its loads are done, and the tempo
// estimates that follow write nothing more.
TEST_F(SnapshotSaveEndToEndTest, ALongLoadWritesTheSnapshotOncePerFinishedBurst)
{
    constexpr int kFiles = 160;
    const QString seed = makeAudio(QStringLiteral("music/seed.mp3"), 3.0);
    QList<QUrl> urls;
    for (int i = 0; i < kFiles; ++i) {
        const QString copy =
            path(QStringLiteral("music/track %1.mp3").arg(i, 3, 10, QLatin1Char('0')));
        ASSERT_TRUE(QFile::copy(seed, copy));
        urls.append(QUrl::fromLocalFile(copy));
    }
    ASSERT_TRUE(QFile::remove(seed));
    settle(500);
    QSignalSpy saved(&store(), &LibraryStore::workspaceSessionSaved);

    const QList<QUuid> ids = importAndWait({url(QStringLiteral("music"))});
    ASSERT_EQ(ids.size(), kFiles);
    ASSERT_TRUE(spinUntil([&] { return saved.count() >= 1; }, 10000));
    settle(1000);
    // The import's own request is dropped when its loads start, unless a slow machine let its
    // debounce run out first.
    const int afterLoad = saved.count();
    EXPECT_LE(afterLoad, 2);

    ASSERT_TRUE(spinUntil(
        [this] {
            return store().analysis().analyzingBPMIDs().isEmpty() &&
                   store().analysis().estimatedBPMByTrackID().size() >= 1;
        },
        240000));
    settle(1000);
    EXPECT_GT(store().analysis().estimatedBPMByTrackID().size(), kFiles / 2);
    EXPECT_EQ(saved.count(), afterLoad) << "tempo estimates wrote the snapshot";
}

} // namespace brivello
