#include "library/AnalysisQueues.h"
#include "library/FavoriteMembership.h"
#include "library/LibrarySections.h"
#include "library/MetadataLoading.h"
#include "library/TrackImporter.h"
#include "support/ui/EndToEndFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>

namespace brivello {

using SnapshotSaveEndToEndTest = testing::EndToEndFixture;

// A long import in the real window: tags load in batches and tracks get tempo estimates.
// The snapshot is written once the import and its loads are done, and the tempo estimates
// that follow write nothing more. A few estimates show that: the rest are taken off the queue.
TEST_F(SnapshotSaveEndToEndTest, ALongLoadWritesTheSnapshotOncePerFinishedBurst)
{
    // Three batches of loaded tags.
    constexpr int kFiles = 2 * MetadataLoading::kMetadataBatchSize + 20;
    constexpr int kEstimatesAfterTheLoad = 3;
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

    AnalysisQueues &analysis = store().analysis();
    const qsizetype estimatesBefore = analysis.estimatedBPMByTrackID().size();
    ASSERT_TRUE(spinUntil([&] {
        return analysis.estimatedBPMByTrackID().size() >= estimatesBefore + kEstimatesAfterTheLoad;
    }));
    const QList<QUuid> waiting = analysis.pendingBPMTrackIDs();
    analysis.bpmQueue().remove(QSet<QUuid>(waiting.cbegin(), waiting.cend()));
    ASSERT_TRUE(spinUntil([&] { return analysis.analyzingBPMIDs().isEmpty(); }));
    settle(1000);
    EXPECT_EQ(saved.count(), afterLoad) << "tempo estimates wrote the snapshot";
}

// Each section's own list comes back after a restart: a file only in the covers section stays
// there, a playlist track does not join it, a favourite stays a favourite in both.
TEST_F(SnapshotSaveEndToEndTest, EachSectionGetsItsOwnTracksBackAfterARestart)
{
    const QString played = makeAudio(QStringLiteral("music/played.mp3"));
    const QString liked = makeAudio(QStringLiteral("music/liked.mp3"));
    const QString cover = makeAudio(QStringLiteral("covers/cover.flac"));
    ASSERT_EQ(importAndWait(urls({played, liked})).size(), 2);
    // A copy: the toggle assigns the store's list.
    const QList<Track> library = store().tracks();
    for (const Track &track : library) {
        if (track.url == QUrl::fromLocalFile(liked))
            store().favorites().toggleFavorites({track.id});
    }
    store().importer().importForCovers(urls({cover}));
    const auto names = [](const QList<Track> &tracks) {
        QStringList list;
        for (const Track &track : tracks)
            list.append(QFileInfo(track.url.toLocalFile()).fileName());
        list.sort();
        return list;
    };
    ASSERT_TRUE(spinUntil([&] { return store().sections().coverTracks().size() == 2; }));
    const QStringList playlist = {QStringLiteral("liked.mp3"), QStringLiteral("played.mp3")};
    const QStringList covers = {QStringLiteral("cover.flac"), QStringLiteral("liked.mp3")};
    const QStringList favourites = {QStringLiteral("liked.mp3")};
    ASSERT_EQ(names(store().sections().playlistTracks()), playlist);
    ASSERT_EQ(names(store().sections().coverTracks()), covers);
    ASSERT_EQ(names(store().sections().favoriteTracks()), favourites);

    restartApp();
    EXPECT_EQ(names(store().sections().playlistTracks()), playlist);
    EXPECT_EQ(names(store().sections().coverTracks()), covers);
    EXPECT_EQ(names(store().sections().favoriteTracks()), favourites);
}

} // namespace brivello
