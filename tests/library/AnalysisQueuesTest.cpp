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
