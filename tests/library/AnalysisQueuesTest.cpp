#include "library/AnalysisQueues.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace brivello {
namespace {

Track makeTrack(const QString &name, const QString &bpm = {})
{
    Track track = Track::make(QUrl::fromLocalFile(QStringLiteral("/music/") + name));
    track.tags.bpm = bpm;
    return track;
}

TEST(AnalysisQueuesTest, TempoIsQueuedOnlyForTracksWithoutTempoEstimateOrPlace)
{
    AnalysisQueues queues;
    const Track tagged = makeTrack(QStringLiteral("a.mp3"), QStringLiteral("128"));
    const Track estimated = makeTrack(QStringLiteral("b.mp3"));
    const Track fresh = makeTrack(QStringLiteral("c.mp3"));
    const Track outside = makeTrack(QStringLiteral("d.mp3"));
    queues.setEstimatedBPMByTrackID({{estimated.id, QStringLiteral("120")}});
    QSignalSpy requested(&queues, &AnalysisQueues::bpmWorkRequested);

    const QList<Track> library{tagged, estimated, fresh, outside};
    queues.detectBPM(library, {tagged.id, estimated.id, fresh.id});
    queues.detectBPM(library, {fresh.id});

    EXPECT_EQ(queues.pendingBPMTrackIDs(), QList<QUuid>{fresh.id});
    EXPECT_EQ(queues.analyzingBPMIDs(), QSet<QUuid>{fresh.id});
    EXPECT_EQ(requested.count(), 1);
}

// Positions pick the same tracks as ids, in library order whatever order they come in, and
// the announcement names the tracks it queued.
TEST(AnalysisQueuesTest, TempoByPositionsQueuesLikeTempoByIds)
{
    AnalysisQueues queues;
    const QList<Track> library{makeTrack(QStringLiteral("a.mp3")),
                               makeTrack(QStringLiteral("b.mp3"), QStringLiteral("120")),
                               makeTrack(QStringLiteral("c.mp3")),
                               makeTrack(QStringLiteral("d.mp3"))};
    std::optional<QSet<QUuid>> announced;
    QObject::connect(&queues, &AnalysisQueues::analyzingBPMIDsChanged, [&] {
        announced = queues.changedAnalyzingBPMIDs();
    });
    queues.detectBPM(library, QList<qsizetype>{3, 1, 0, 3, 7});
    EXPECT_EQ(queues.pendingBPMTrackIDs(), (QList<QUuid>{library[0].id, library[3].id}));
    EXPECT_EQ(announced, (QSet<QUuid>{library[0].id, library[3].id}));
    EXPECT_FALSE(queues.changedAnalyzingBPMIDs());

    queues.detectBPM(library, QList<qsizetype>{2, 0});
    EXPECT_EQ(queues.pendingBPMTrackIDs(),
              (QList<QUuid>{library[0].id, library[3].id, library[2].id}));
    EXPECT_EQ(announced, QSet<QUuid>{library[2].id});
    // A whole set replaced names no tracks: the listeners compare.
    queues.setAnalyzingBPMIDs({});
    EXPECT_EQ(announced, std::nullopt);
}

TEST(AnalysisQueuesTest, AFailedTrackIsQueuedAgainOnlyOnRetryWhichForgetsTheFailure)
{
    AnalysisQueues queues;
    const Track failed = makeTrack(QStringLiteral("a.flac"));
    queues.setQualityFailures({{failed.id, QStringLiteral("unreadable")}});
    QSignalSpy changed(&queues, &AnalysisQueues::qualityAnalysesChanged);

    queues.analyzeQuality({failed}, {failed.id}, false);
    EXPECT_TRUE(queues.pendingQualityTrackIDs().isEmpty());

    queues.analyzeQuality({failed}, {failed.id}, true);
    EXPECT_EQ(queues.pendingQualityTrackIDs(), QList<QUuid>{failed.id});
    EXPECT_TRUE(queues.qualityFailures().isEmpty());
    EXPECT_EQ(changed.count(), 1);
}

TEST(AnalysisQueuesTest, DroppingWorkCancelsOnlyAFlightAmongTheTracks)
{
    AnalysisQueues queues;
    const Track a = makeTrack(QStringLiteral("a.flac"));
    const Track b = makeTrack(QStringLiteral("b.flac"));
    queues.analyzeQuality({a, b}, {a.id, b.id}, false);
    ASSERT_EQ(queues.qualityQueue().beginNext(), a.id);
    QSignalSpy cancelled(&queues, &AnalysisQueues::qualityWorkCancelRequested);

    queues.dropQualityWork({b.id});
    EXPECT_EQ(cancelled.count(), 0);
    queues.dropQualityWork({a.id});
    EXPECT_EQ(cancelled.count(), 1);

    queues.setQualityFailures({{a.id, QStringLiteral("x")}});
    queues.forgetQualityResults({a.id, b.id});
    EXPECT_TRUE(queues.qualityFailures().isEmpty());
    EXPECT_TRUE(queues.analyzingQualityIDs().isEmpty());
}

} // namespace
} // namespace brivello
