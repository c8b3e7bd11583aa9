#include "audiofiles/AudioMetadataLoadQueue.h"

#include "support/WaitForResult.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QMutex>
#include <QSemaphore>
#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>

using namespace brivello;

namespace {

// Raises `most` to `now` in one step: two readers starting together each see the other.
void raiseTo(std::atomic<int> &most, int now)
{
    int seen = most.load();
    while (seen < now && !most.compare_exchange_weak(seen, now)) {
    }
}

// Two permits, as on a two-core machine; the default follows the cores. A test that fakes
// the reading makes the queue with its reader.
class AudioMetadataLoadQueueTest : public ::testing::Test
{
protected:
    AudioMetadataLoadQueue &queue() { return *m_queue; }
    void useReader(AudioMetadataLoadQueue::Reader reader)
    {
        m_queue = std::make_unique<AudioMetadataLoadQueue>(std::move(reader), 2);
    }

    int m_defaultLimit = AudioMetadataLoadQueue::shared().concurrencyLimit();
    std::unique_ptr<AudioMetadataLoadQueue> m_queue =
        std::make_unique<AudioMetadataLoadQueue>(AudioMetadataLoadQueue::Reader(), 2);
};

TEST_F(AudioMetadataLoadQueueTest, EveryCoreGetsAPermitAndNeverFewerThanTwo)
{
    EXPECT_EQ(m_defaultLimit, std::max(2, QThread::idealThreadCount()));
}

TEST_F(AudioMetadataLoadQueueTest, PermitsAreHandedToWaitersFirstInFirstOut)
{
    ASSERT_EQ(queue().activeCount(), 0);
    std::vector<int> order;
    auto take = [&](int n) -> QCoro::Task<> {
        co_await queue().acquirePermit();
        order.push_back(n);
    };
    auto a = take(1), b = take(2), c = take(3), d = take(4);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_EQ(queue().activeCount(), 2);
    EXPECT_EQ(queue().waiterCount(), 2);

    queue().releasePermit(); // passes straight to the third caller
    EXPECT_EQ(queue().activeCount(), 2);
    EXPECT_EQ(queue().waiterCount(), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));

    queue().releasePermit();
    QCoreApplication::processEvents();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(queue().activeCount(), 2);

    queue().releasePermit();
    EXPECT_EQ(queue().activeCount(), 1);
    queue().releasePermit();
    queue().releasePermit();
    EXPECT_EQ(queue().activeCount(), 0);
}

TEST_F(AudioMetadataLoadQueueTest, AtMostTwoFilesAreReadAtOnceAndTheThirdWaits)
{
    std::atomic<int> running = 0;
    std::atomic<int> mostAtOnce = 0;
    QMutex mutex;
    QStringList started;
    QSemaphore gate;
    useReader([&](const QUrl &url, const AudioTags &tags) {
        const int now = ++running;
        raiseTo(mostAtOnce, now);
        {
            QMutexLocker lock(&mutex);
            started << url.fileName();
        }
        gate.acquire();
        --running;
        LoadedTrackMetadata result;
        result.tags = tags;
        result.format = url.fileName();
        return result;
    });

    AudioTags fallback;
    fallback.title = "T";
    auto first = queue().load(QUrl::fromLocalFile("/a/1"), fallback);
    auto second = queue().load(QUrl::fromLocalFile("/a/2"), fallback);
    auto third = queue().load(QUrl::fromLocalFile("/a/3"), fallback);
    ASSERT_TRUE(QTest::qWaitFor([&] { return running == 2; }));
    EXPECT_EQ(queue().waiterCount(), 1);

    gate.release();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        QMutexLocker lock(&mutex);
        return started.size() == 3;
    }));
    gate.release(2);
    EXPECT_EQ(test::waitForResult(first).format, "1");
    EXPECT_EQ(test::waitForResult(second).format, "2");
    const LoadedTrackMetadata last = test::waitForResult(third);
    EXPECT_EQ(last.format, "3");
    EXPECT_EQ(last.tags.title, "T");
    EXPECT_EQ(mostAtOnce.load(), 2);
    EXPECT_EQ(started.last(), "3");
    EXPECT_EQ(queue().activeCount(), 0);
}

TEST_F(AudioMetadataLoadQueueTest, AReadingThatThrowsGivesTheFallbackAndReturnsItsPermit)
{
    useReader([](const QUrl &url, const AudioTags &tags) -> LoadedTrackMetadata {
        if (url.fileName().startsWith("bad"))
            throw std::bad_alloc();
        LoadedTrackMetadata result;
        result.tags = tags;
        result.duration = 1;
        return result;
    });
    AudioTags fallback;
    fallback.title = "Kept";
    // More failures than permits: each one must have handed its permit back.
    for (const char *name : {"bad1.mp3", "bad2.flac", "bad3.wav"}) {
        auto loading = queue().load(QUrl::fromLocalFile(QStringLiteral("/a/") + name), fallback);
        const LoadedTrackMetadata failed = test::waitForResult(loading);
        EXPECT_EQ(failed.tags, fallback);
        EXPECT_EQ(failed.duration, 0);
        EXPECT_FALSE(failed.format.isEmpty());
    }
    EXPECT_EQ(queue().activeCount(), 0);
    auto good = queue().load(QUrl::fromLocalFile("/a/good.mp3"), fallback);
    EXPECT_EQ(test::waitForResult(good).duration, 1);
    EXPECT_EQ(queue().activeCount(), 0);
}

TEST_F(AudioMetadataLoadQueueTest, AGroupIsReadInOrderUnderOnePermitAndAFailureKeepsItsFallback)
{
    std::atomic<int> running = 0;
    std::atomic<int> mostAtOnce = 0;
    QSemaphore gate;
    useReader([&](const QUrl &url, const AudioTags &tags) -> LoadedTrackMetadata {
        const int now = ++running;
        raiseTo(mostAtOnce, now);
        gate.acquire();
        --running;
        if (url.fileName().startsWith("bad"))
            throw std::bad_alloc();
        LoadedTrackMetadata result;
        result.tags = tags;
        result.duration = 1;
        result.format = url.fileName();
        return result;
    });
    AudioTags fallback;
    fallback.title = "Kept";
    QList<AudioMetadataLoadQueue::Request> group;
    for (const char *name : {"1.mp3", "bad.mp3", "3.mp3"})
        group.append({QUrl::fromLocalFile(QStringLiteral("/a/") + name), fallback});
    auto first = queue().load(group);
    auto second = queue().load(QList<AudioMetadataLoadQueue::Request>{group.first()});
    auto third = queue().load(QUrl::fromLocalFile("/a/single.mp3"), fallback);
    // Two permits: the group holds one while it reads its files one after another.
    ASSERT_TRUE(QTest::qWaitFor([&] { return running == 2; }));
    EXPECT_EQ(queue().activeCount(), 2);
    EXPECT_EQ(queue().waiterCount(), 1);
    gate.release(5);

    const QList<LoadedTrackMetadata> results = QCoro::waitFor(first);
    ASSERT_EQ(results.size(), 3);
    EXPECT_EQ(results[0].format, "1.mp3");
    EXPECT_EQ(results[1].tags, fallback);
    EXPECT_EQ(results[1].duration, 0);
    EXPECT_FALSE(results[1].format.isEmpty());
    EXPECT_EQ(results[2].format, "3.mp3");
    EXPECT_EQ(QCoro::waitFor(second).size(), 1);
    EXPECT_EQ(QCoro::waitFor(third).format, "single.mp3");
    EXPECT_EQ(mostAtOnce.load(), 2);
    EXPECT_EQ(queue().activeCount(), 0);
}

} // namespace
