#include "playback/WaveformPreloadQueue.h"

#include "audiofiles/OperationCancelled.h"
#include "platform/Scheduler.h"

#include <QCoreApplication>
#include <QMap>
#include <gtest/gtest.h>

namespace brivello::test {

namespace {

struct LoadCall
{
    QUrl url;
    bool lowImpact = false;
    bool operator==(const LoadCall &) const = default;
};

// Every load takes a second of virtual time, also a cancelled one: its end arrives late.
class FakeCache : public WaveformPreloadQueue::Cache
{
public:
    explicit FakeCache(Scheduler &clock)
        : m_clock(clock)
    {}
    QCoro::Task<> load(QUrl url, bool lowImpact) override
    {
        loads.append({url, lowImpact});
        co_await m_clock.sleep(kLoadSeconds);
        if (cancelledElsewhere.remove(url))
            throw OperationCancelled();
    }
    void cancelLoading(const QUrl &url) override { cancelled.append(url); }

    static constexpr double kLoadSeconds = 1.0;
    QList<LoadCall> loads;
    QList<QUrl> cancelled;
    // Loads that another caller's cancel of the shared extraction ends.
    QSet<QUrl> cancelledElsewhere;

private:
    Scheduler &m_clock;
};

QUrl file(const char *name)
{
    return QUrl::fromLocalFile(QStringLiteral("/music/") + QLatin1String(name));
}

} // namespace

class WaveformPreloadQueueTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        // Lets every job run out before the clock goes away.
        m_clock.advance(60);
    }

    const QUrl a = file("a.flac"), b = file("b.flac"), c = file("c.flac"), d = file("d.flac");
    VirtualScheduler m_clock;
    std::shared_ptr<FakeCache> m_cache = std::make_shared<FakeCache>(m_clock);
    WaveformPreloadQueue m_queue{m_cache, m_clock};
};

TEST_F(WaveformPreloadQueueTest, RunsOneFileAtATimeAndQueuesEachOnce)
{
    m_queue.enqueue(QList<QUrl>{a, b, a});
    m_queue.enqueue(b);
    EXPECT_EQ(m_cache->loads, (QList<LoadCall>{{a, false}}));
    EXPECT_EQ(m_queue.pendingURLs(), QList<QUrl>{b});
    m_queue.enqueue(a); // still being worked on
    m_clock.advance(1.0);
    EXPECT_EQ(m_cache->loads, (QList<LoadCall>{{a, false}, {b, false}}));
    m_clock.advance(1.0);
    EXPECT_FALSE(m_queue.activeURL());
    m_queue.enqueue(a); // finished: it may run again
    EXPECT_EQ(m_cache->loads.size(), 3);
}

TEST_F(WaveformPreloadQueueTest, PlaybackCancelsAnotherFilesJobAndPutsItFirst)
{
    m_queue.enqueue(QList<QUrl>{b, c});
    m_queue.setPlaybackActive(true, a);
    EXPECT_EQ(m_cache->cancelled, QList<QUrl>{b});
    EXPECT_EQ(m_queue.pendingURLs(), (QList<QUrl>{b, c}));
    EXPECT_TRUE(m_queue.isQueued(b));
    m_clock.advance(5.0);
    EXPECT_EQ(m_cache->loads.size(), 1) << "nothing in the priority set: nothing runs";
}

TEST_F(WaveformPreloadQueueTest, WhilePlayingOnlyTheFollowingFilesRunInLowImpactMode)
{
    m_queue.setPlaybackActive(true, a);
    m_queue.prioritizePlayback(a, {b, c, d});
    EXPECT_EQ(m_queue.pendingURLs(), (QList<QUrl>{a, c}));
    EXPECT_EQ(m_cache->loads, (QList<LoadCall>{{b, true}}));
    m_clock.advance(1.0);
    EXPECT_EQ(m_cache->loads.last(), (LoadCall{c, true}));
    m_clock.advance(1.0);
    EXPECT_EQ(m_cache->loads.size(), 2);
    EXPECT_FALSE(m_queue.isQueued(d));

    m_queue.prioritizePlayback(a, {});
    m_clock.advance(1.0);
    EXPECT_EQ(m_cache->loads.size(), 2) << "an empty priority set lets nothing run";
}

TEST_F(WaveformPreloadQueueTest, FollowingFilesPrioritisedBeforeThePlayBeginsStillRun)
{
    // The panel shows the selected track (and prioritises) before the play button is pressed.
    m_queue.enqueue(QList<QUrl>{d});
    m_queue.prioritizePlayback(a, {b, c});
    EXPECT_EQ(m_queue.activeURL(), d);
    m_queue.setPlaybackActive(true, a);
    EXPECT_EQ(m_cache->cancelled, QList<QUrl>{d});
    EXPECT_EQ(m_cache->loads.last(), (LoadCall{b, true}));
    m_clock.advance(1.0);
    EXPECT_EQ(m_cache->loads.last(), (LoadCall{c, true}));
    m_clock.advance(1.0);
    EXPECT_EQ(m_cache->loads.size(), 3) << "then only the playing track and the rest wait";
    EXPECT_EQ(m_queue.pendingURLs(), (QList<QUrl>{d, a}));
}

TEST_F(WaveformPreloadQueueTest, WorkResumesOnlyAfterPlaybackStayedStopped)
{
    m_queue.setPlaybackActive(true, a);
    m_queue.enqueue(QList<QUrl>{b});
    m_queue.setPlaybackActive(false, {});
    m_clock.advance(0.3);
    m_queue.setPlaybackActive(true, a);
    m_clock.advance(1.0);
    EXPECT_TRUE(m_cache->loads.isEmpty());

    m_queue.setPlaybackActive(false, {});
    m_clock.advance(0.59);
    EXPECT_TRUE(m_cache->loads.isEmpty());
    m_clock.advance(0.02);
    EXPECT_EQ(m_cache->loads, (QList<LoadCall>{{b, false}}));
}

TEST_F(WaveformPreloadQueueTest, LateFinishOfACancelledJobLeavesTheNewerJobAlone)
{
    m_queue.enqueue(QList<QUrl>{b, c});
    m_clock.advance(0.5);
    m_queue.setPlaybackActive(true, a); // cancels b's job; its end still comes at 1.0
    m_queue.prioritizePlayback(a, {b});
    ASSERT_EQ(m_cache->loads, (QList<LoadCall>{{b, false}, {b, true}}));
    m_clock.advance(0.6); // the cancelled job ends now
    EXPECT_EQ(m_queue.activeURL(), b);
    EXPECT_TRUE(m_queue.isQueued(b));
    EXPECT_EQ(m_cache->loads.size(), 2) << "no second job beside the running one";

    m_clock.advance(0.5); // the newer job ends
    EXPECT_FALSE(m_queue.activeURL());
    EXPECT_FALSE(m_queue.isQueued(b));
}

TEST_F(WaveformPreloadQueueTest, AJobCancelledByAnotherCallerIsQueuedAgainNotForgotten)
{
    m_cache->cancelledElsewhere.insert(a);
    m_queue.enqueue(QList<QUrl>{a, b});
    m_clock.advance(FakeCache::kLoadSeconds);
    m_clock.advance(FakeCache::kLoadSeconds);
    m_clock.advance(FakeCache::kLoadSeconds);
    EXPECT_EQ(m_cache->loads, (QList<LoadCall>{{a, false}, {b, false}, {a, false}}));
}

} // namespace brivello::test
