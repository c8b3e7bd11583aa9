#include "analysis/QualityAnalysisListModel.h"

#include "support/LibraryStoreFixture.h"

#include <QCoreApplication>

namespace brivello::testing {
namespace {

class QualityAnalysisListModelTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
        for (const char *name : {"a.flac", "b.flac", "c.flac"}) {
            Track track;
            track.id = QUuid::createUuid();
            track.url = url(QString::fromUtf8(name));
            m_tracks.append(track);
        }
        store().setAnalysisTracks(m_tracks);
    }

    QList<Track> m_tracks;
};

TEST_F(QualityAnalysisListModelTest, RowsTellTheirStateAndDragTheSelectionInListOrder)
{
    QualityAnalysisListModel model(&store());
    ASSERT_EQ(model.rowCount(), 3);
    store().setSelectedIDs({m_tracks[2].id, m_tracks[0].id});
    EXPECT_EQ(model.dragURLs(2), (QList<QUrl>{m_tracks[0].url, m_tracks[2].url}));
    // An unselected row drags its own file alone, which the overlay adds.
    EXPECT_TRUE(model.dragURLs(1).isEmpty());

    store().analysis().setQualityFailures({{m_tracks[1].id, QStringLiteral("Файл пуст.")}});
    EXPECT_EQ(model.failure(1), QStringLiteral("Файл пуст."));
    EXPECT_TRUE(model.failure(0).isEmpty());
    model.setPlaybackState(m_tracks[1].id, true);
    EXPECT_TRUE(model.isCurrent(1) && model.isPlaying(1));
    EXPECT_FALSE(model.isCurrent(0));
    model.setPlaybackState(m_tracks[1].id, false);
    EXPECT_TRUE(model.isCurrent(1) && !model.isPlaying(1));
}

TEST_F(QualityAnalysisListModelTest, ABurstOfListChangesResetsTheRowsOnce)
{
    QualityAnalysisListModel model(&store());
    int resets = 0;
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&resets] { ++resets; });
    for (int i = 0; i < 3; ++i)
        store().setAnalysisTracks(m_tracks.mid(i));
    EXPECT_EQ(model.rowCount(), 3); // the old list until the event loop turns
    QCoreApplication::processEvents();
    EXPECT_EQ(resets, 1);
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.rowOf(m_tracks[2].id), 0);
    EXPECT_EQ(model.rowOf(m_tracks[0].id), -1);
}

} // namespace
} // namespace brivello::testing
