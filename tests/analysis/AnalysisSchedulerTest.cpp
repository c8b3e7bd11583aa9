#include "analysis/AnalysisScheduler.h"

#include "library/AnalysisQueue.h"
#include "library/TrackRemoval.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"

#include <cmath>
#include <limits>

namespace brivello::testing {
namespace {

// Jobs that finish only when the test releases them.
class FakeJobs : public AnalysisJobs
{
public:
    struct Started
    {
        bool quality = false;
        QUrl url;
        bool lowImpact = false;
        std::shared_ptr<bool> cancelled = std::make_shared<bool>(false);
        std::shared_ptr<bool> alive = std::make_shared<bool>(true);
        std::function<void(QualityResult)> qualityDone;
        std::function<void(TempoResult)> tempoDone;
        bool outstanding() const { return *alive && (qualityDone || tempoDone); }
    };
    class FakeJob : public Job
    {
    public:
        FakeJob(std::shared_ptr<bool> cancelled, std::shared_ptr<bool> alive)
            : m_cancelled(std::move(cancelled))
            , m_alive(std::move(alive))
        {}
        ~FakeJob() override { *m_alive = false; }
        void cancel() override { *m_cancelled = true; }

    private:
        std::shared_ptr<bool> m_cancelled, m_alive;
    };

    std::unique_ptr<Job>
    startQuality(const QUrl &url, int, float, std::function<void(QualityResult)> done) override
    {
        Started job;
        job.quality = true;
        job.url = url;
        job.qualityDone = std::move(done);
        started.append(job);
        return std::make_unique<FakeJob>(job.cancelled, job.alive);
    }
    std::unique_ptr<Job>
    startTempo(const QUrl &url, bool lowImpact, std::function<void(TempoResult)> done) override
    {
        Started job;
        job.url = url;
        job.lowImpact = lowImpact;
        job.tempoDone = std::move(done);
        started.append(job);
        return std::make_unique<FakeJob>(job.cancelled, job.alive);
    }

    int outstanding(bool quality) const
    {
        int count = 0;
        for (const Started &job : started)
            count += job.quality == quality && job.outstanding();
        return count;
    }
    Started &last(bool quality)
    {
        for (qsizetype i = started.size() - 1; i >= 0; --i) {
            if (started[i].quality == quality)
                return started[i];
        }
        throw std::logic_error("no such job");
    }
    void releaseQuality(QualityResult result)
    {
        auto done = std::exchange(last(true).qualityDone, {});
        done(std::move(result));
    }
    void releaseTempo(TempoResult result)
    {
        auto done = std::exchange(last(false).tempoDone, {});
        done(std::move(result));
    }

    QList<Started> started;
};

AudioQualityAnalysis someAnalysis()
{
    AudioQualityAnalysis analysis;
    analysis.verdict = AudioQualityVerdict::lossless;
    analysis.sampleRate = 44100;
    return analysis;
}

BPMAnalyzer::Estimate tempo(double bpm)
{
    BPMAnalyzer::Estimate estimate;
    estimate.bpm = bpm;
    estimate.confidence = 0.75;
    return estimate;
}

class AnalysisSchedulerTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
        auto jobs = std::make_unique<FakeJobs>();
        m_jobs = jobs.get();
        m_analysis = new AnalysisScheduler(store(), std::move(jobs));
        for (int i = 0; i < 4; ++i) {
            Track track;
            track.id = QUuid::createUuid();
            track.url = url(QStringLiteral("t%1.flac").arg(i));
            m_tracks.append(track);
        }
        store().setTracks(m_tracks);
        store().setAnalysisTracks(m_tracks);
    }
    void TearDown() override
    {
        store().setAudioPlayer(nullptr);
        LibraryStoreFixture::TearDown();
    }

    QUuid id(int i) const { return m_tracks[i].id; }
    void linkPlayer() { store().setAudioPlayer(&m_player); }

    // queued = pending ∪ in flight, without repeats; the published sets are the queues'; at
    // most one job of each kind in flight.
    void expectConsistent()
    {
        for (AnalysisQueue *queue :
             {&store().analysis().qualityQueue(), &store().analysis().bpmQueue()}) {
            QSet<QUuid> expected(queue->pending().cbegin(), queue->pending().cend());
            EXPECT_EQ(expected.size(), queue->pending().size());
            if (queue->inFlight())
                expected.insert(*queue->inFlight());
            EXPECT_EQ(queue->queued(), expected);
        }
        EXPECT_EQ(store().analysis().analyzingQualityIDs(),
                  store().analysis().qualityQueue().queued());
        EXPECT_EQ(store().analysis().analyzingBPMIDs(), store().analysis().bpmQueue().queued());
        EXPECT_LE(m_jobs->outstanding(true), 1);
        EXPECT_LE(m_jobs->outstanding(false), 1);
    }
    void advance(double seconds)
    {
        m_scheduler.advance(seconds);
        expectConsistent();
    }

    FakeJobs *m_jobs = nullptr;
    AnalysisScheduler *m_analysis = nullptr;
    RecordingAudioPlayer m_player;
    QList<Track> m_tracks;
};

TEST_F(AnalysisSchedulerTest, QualityQueueFollowsTheListAndSkipsKnownTracks)
{
    store().analyzeQuality({id(2), id(0), QUuid::createUuid()});
    expectConsistent();
    ASSERT_EQ(m_jobs->started.size(), 1);
    EXPECT_EQ(m_jobs->started[0].url, m_tracks[0].url);
    EXPECT_EQ(store().analysis().pendingQualityTrackIDs(), QList<QUuid>{id(2)});

    store().analyzeQuality({id(0), id(2)});
    EXPECT_EQ(store().analysis().pendingQualityTrackIDs(), QList<QUuid>{id(2)});
    m_jobs->releaseQuality(someAnalysis());
    expectConsistent();
    EXPECT_TRUE(store().analysis().qualityAnalyses().contains(id(0)));
    EXPECT_EQ(m_jobs->last(true).url, m_tracks[2].url);

    // A track with a result is not queued again.
    store().analyzeQuality({id(0)});
    EXPECT_FALSE(store().analysis().qualityQueue().contains(id(0)));
    m_jobs->releaseQuality(AnalysisJobs::QualityResult::failed(QStringLiteral("Файл пуст.")));
    expectConsistent();
    EXPECT_FALSE(store().analysis().qualityAnalyses().contains(id(2)));
    EXPECT_EQ(store().analysis().qualityFailures().value(id(2)), QStringLiteral("Файл пуст."));
    EXPECT_EQ(m_analysis->qualityWorkerState(), AnalysisScheduler::WorkerState::idle);
    // A failure is done: focusing or a plain request does not queue it again, a retry does.
    store().analyzeQuality({id(2)});
    EXPECT_EQ(m_jobs->started.size(), 2);
    store().analyzeQuality({id(2)}, true);
    EXPECT_EQ(m_jobs->started.size(), 3);
    EXPECT_FALSE(store().analysis().qualityFailures().contains(id(2)));
    m_jobs->releaseQuality(std::nullopt);
    // No reason given is still a failure with a reason to show; leaving the section forgets it.
    EXPECT_FALSE(store().analysis().qualityFailures().value(id(2)).isEmpty());
    store().removal().removeFromAnalysis({id(2)});
    EXPECT_FALSE(store().analysis().qualityFailures().contains(id(2)));
}

TEST_F(AnalysisSchedulerTest, PlaybackPausesQualityAnalysisAndTheTrackGoesFirstAfterStop)
{
    linkPlayer();
    store().analyzeQuality({id(0), id(1)});
    m_player.setPlaying(true);
    expectConsistent();
    EXPECT_TRUE(*m_jobs->last(true).cancelled);
    m_jobs->releaseQuality(std::nullopt);
    expectConsistent();
    EXPECT_EQ(store().analysis().pendingQualityTrackIDs(), (QList<QUuid>{id(0), id(1)}));
    EXPECT_TRUE(store().analysis().analyzingQualityIDs().contains(id(0)));

    // Requests during playback only queue.
    store().analyzeQuality({id(3)});
    advance(5);
    EXPECT_EQ(m_jobs->started.size(), 1);

    m_player.setPlaying(false);
    advance(0.59);
    EXPECT_EQ(m_jobs->started.size(), 1);
    advance(0.01);
    ASSERT_EQ(m_jobs->started.size(), 2);
    EXPECT_EQ(m_jobs->last(true).url, m_tracks[0].url);
}

TEST_F(AnalysisSchedulerTest, RemovingTheTrackUnderAnalysisDiscardsItAndGoesOn)
{
    store().analyzeQuality({id(0), id(1)});
    store().removal().removeFromAnalysis({id(0)});
    expectConsistent();
    EXPECT_TRUE(*m_jobs->last(true).cancelled);
    m_jobs->releaseQuality(someAnalysis());
    expectConsistent();
    EXPECT_FALSE(store().analysis().qualityAnalyses().contains(id(0)));
    EXPECT_EQ(m_jobs->last(true).url, m_tracks[1].url);
}

TEST_F(AnalysisSchedulerTest, EstimatesAreRoundedHalfAwayFromZeroAndNonFiniteIsNone)
{
    const struct
    {
        double bpm;
        QString text;
    } cases[] = {{127.5, "128"}, {127.49, "127"}, {90.0, "90"}};
    for (const auto &c : cases) {
        const QUuid track = id(0);
        QHash<QUuid, QString> none;
        store().analysis().setEstimatedBPMByTrackID(none);
        store().detectBPM({track});
        m_jobs->releaseTempo(tempo(c.bpm));
        expectConsistent();
        EXPECT_EQ(store().analysis().estimatedBPMByTrackID().value(track), c.text) << c.bpm;
        EXPECT_DOUBLE_EQ(store().analysis().estimatedBPMConfidenceByTrackID().value(track), 0.75);
    }
    store().detectBPM({id(1)});
    m_jobs->releaseTempo(tempo(std::numeric_limits<double>::quiet_NaN()));
    expectConsistent();
    EXPECT_FALSE(store().analysis().estimatedBPMByTrackID().contains(id(1)));
    EXPECT_EQ(m_analysis->bpmAnalysisAttemptCounts().value(id(1)), 1);
}

TEST_F(AnalysisSchedulerTest, AFailedEstimateGetsOneMoreAttemptAtTheEnd)
{
    store().detectBPM({id(0), id(1)});
    m_jobs->releaseTempo(std::nullopt); // t0 fails once: to the end
    expectConsistent();
    EXPECT_EQ(store().analysis().pendingBPMTrackIDs(), QList<QUuid>{id(0)});
    m_jobs->releaseTempo(tempo(124));   // t1
    m_jobs->releaseTempo(std::nullopt); // t0 fails again: dropped
    expectConsistent();
    EXPECT_TRUE(store().analysis().analyzingBPMIDs().isEmpty());
    EXPECT_EQ(m_jobs->started.size(), 3);
    // A later request gets a single attempt.
    store().detectBPM({id(0)});
    m_jobs->releaseTempo(std::nullopt);
    expectConsistent();
    EXPECT_FALSE(store().analysis().bpmQueue().contains(id(0)));
    EXPECT_EQ(m_jobs->started.size(), 4);
}

TEST_F(AnalysisSchedulerTest, TempoChangesModeWithThePlayer)
{
    linkPlayer();
    store().detectBPM({id(0)});
    EXPECT_FALSE(m_jobs->last(false).lowImpact);
    m_player.setPlaying(true);
    EXPECT_TRUE(*m_jobs->last(false).cancelled);
    m_jobs->releaseTempo(std::nullopt);
    expectConsistent();
    EXPECT_EQ(store().analysis().pendingBPMTrackIDs(), QList<QUuid>{id(0)});
    EXPECT_TRUE(m_analysis->bpmAnalysisAttemptCounts().isEmpty()); // cancelled is not failed
    advance(0.49);
    EXPECT_EQ(m_jobs->started.size(), 1);
    advance(0.01);
    ASSERT_EQ(m_jobs->started.size(), 2);
    EXPECT_TRUE(m_jobs->last(false).lowImpact);

    // Stopping cancels the low-impact run; it restarts 0.05 s after it returned, in full mode.
    m_player.setPlaying(false);
    EXPECT_TRUE(*m_jobs->last(false).cancelled);
    advance(0.2);
    m_jobs->releaseTempo(std::nullopt);
    advance(0.04);
    EXPECT_EQ(m_jobs->started.size(), 2);
    advance(0.01);
    ASSERT_EQ(m_jobs->started.size(), 3);
    EXPECT_FALSE(m_jobs->last(false).lowImpact);
    EXPECT_EQ(m_jobs->last(false).url, m_tracks[0].url);
    // A low-impact estimation survives a start of playback.
    m_jobs->releaseTempo(tempo(120));
    m_player.setPlaying(true);
    store().detectBPM({id(1)});
    EXPECT_TRUE(m_jobs->last(false).lowImpact);
    m_player.setPlaying(true);
    EXPECT_FALSE(*m_jobs->last(false).cancelled);
}

TEST_F(AnalysisSchedulerTest, OnlyTheLastQuickPlaybackChangeResumes)
{
    linkPlayer();
    store().analyzeQuality({id(0)});
    m_player.setPlaying(true);
    m_jobs->releaseQuality(std::nullopt);
    m_player.setPlaying(false);
    advance(0.3);
    m_player.setPlaying(true);
    advance(0.4);
    m_player.setPlaying(false);
    advance(0.5);
    EXPECT_EQ(m_jobs->started.size(), 1);
    advance(0.1);
    EXPECT_EQ(m_jobs->started.size(), 2);
}

TEST_F(AnalysisSchedulerTest, TempoChangesAreAnnouncedOncePerTenthOfASecond)
{
    QList<QObject *> senders;
    QObject receiver;
    NotificationCenter::defaultCenter().observe(
        brivelloBPMDidChange, nullptr, &receiver, [&](const Notification &note) {
            senders.append(note.sender);
        });
    store().detectBPM({id(0)});
    store().detectBPM({id(1)});
    m_jobs->releaseTempo(tempo(128));
    advance(0.099);
    EXPECT_TRUE(senders.isEmpty());
    advance(0.001);
    EXPECT_EQ(senders, QList<QObject *>{&store()});
    advance(1);
    EXPECT_EQ(senders.size(), 1);
}

TEST_F(AnalysisSchedulerTest, TaggedTracksAndTracksThatLeftAreDroppedWhenTheirTurnComes)
{
    store().detectBPM({id(0), id(1), id(2)});
    QList<Track> tracks = m_tracks;
    tracks[1].tags.bpm = QStringLiteral(" 128 ");
    tracks.removeAt(2);
    store().setTracks(tracks);
    m_jobs->releaseTempo(tempo(100));
    expectConsistent();
    EXPECT_TRUE(store().analysis().bpmQueue().queued().isEmpty());
    EXPECT_EQ(m_jobs->started.size(), 1);
}

} // namespace
} // namespace brivello::testing
