#include "waveform/WaveformCache.h"

#include "audiofiles/OperationCancelled.h"
#include "platform/Scheduler.h"
#include "support/TestAudioFiles.h"
#include "support/ThreadPoolHold.h"
#include "support/WaitForResult.h"
#include "waveform/WaveformCacheError.h"
#include "waveform/WaveformDiskCache.h"

#include <QCoroTask>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <gtest/gtest.h>

using namespace brivello;
using test::TestAudioFiles;

namespace {

// An extractor whose calls wait until the test settles them; a stop request settles a call
// with the cancellation error from the event loop, as a killed decoder would.
class FakeExtractor
{
public:
    struct Call
    {
        QUrl url;
        bool lowImpact = false;
        bool settled = false;
        std::vector<float> values;
        std::exception_ptr error;
        std::coroutine_handle<> waiter;
        std::unique_ptr<std::stop_callback<std::function<void()>>> onStop;
    };

    WaveformCache::Extractor extractor()
    {
        return [this](QUrl url, int count, bool lowImpact, std::stop_token stop) {
            return extract(url, count, lowImpact, stop);
        };
    }

    void succeed(int index, float value) { settle(index, std::vector<float>(4096, value), {}); }
    void fail(int index) { settle(index, {}, std::make_exception_ptr(std::runtime_error("bad"))); }
    int count() const { return int(m_calls.size()); }
    Call &call(int index) { return *m_calls[size_t(index)]; }
    bool reactsToStop = true;

private:
    struct Gate
    {
        Call *call;
        bool await_ready() const noexcept { return call->settled; }
        void await_suspend(std::coroutine_handle<> handle) { call->waiter = handle; }
        void await_resume() const noexcept {}
    };

    QCoro::Task<std::vector<float>>
    extract(QUrl url, int count, bool lowImpact, std::stop_token stop)
    {
        EXPECT_EQ(count, 4096);
        auto call = std::make_shared<Call>();
        call->url = url;
        call->lowImpact = lowImpact;
        m_calls.push_back(call);
        const int index = int(m_calls.size()) - 1;
        if (reactsToStop) {
            call->onStop = std::make_unique<std::stop_callback<std::function<void()>>>(
                stop, std::function<void()>([this, index] {
                    QMetaObject::invokeMethod(
                        QCoreApplication::instance(),
                        [this, index] {
                            settle(index, {}, std::make_exception_ptr(OperationCancelled()));
                        },
                        Qt::QueuedConnection);
                }));
        }
        Gate gate{call.get()};
        co_await gate;
        if (call->error)
            std::rethrow_exception(call->error);
        co_return call->values;
    }

    void settle(int index, std::vector<float> values, std::exception_ptr error)
    {
        Call &c = call(index);
        if (c.settled)
            return;
        c.settled = true;
        c.values = std::move(values);
        c.error = error;
        if (c.waiter)
            std::exchange(c.waiter, {}).resume();
    }

    std::vector<std::shared_ptr<Call>> m_calls;
};

class WaveformCacheTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_audio = QUrl::fromLocalFile(m_dir.filePath("song.mp3"));
        ASSERT_TRUE(TestAudioFiles::writeAll(m_audio.toLocalFile(), QByteArray(100, 'a')));
    }
    std::unique_ptr<WaveformCache> makeCache()
    {
        return std::make_unique<WaveformCache>(
            m_dir.filePath("cache"), m_fake.extractor(), m_clock);
    }
    // Starts a request and lets it run up to its first real wait.
    QCoro::Task<std::vector<float>> request(WaveformCache &cache, bool lowImpact = false)
    {
        return cache.samples(m_audio, lowImpact);
    }
    void waitForCalls(int count)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_fake.count() >= count; }));
    }
    // The error code of a failed request, or 0 for a success.
    static int errorCode(QCoro::Task<std::vector<float>> &task)
    {
        try {
            test::waitForResult(task);
        } catch (const WaveformCacheError &error) {
            return error.code();
        } catch (const OperationCancelled &) {
            return -1;
        } catch (const std::runtime_error &) {
            return -2;
        }
        return 0;
    }
    QString diskFile() const
    {
        return *WaveformDiskCache::persistentCacheFile(m_audio, m_dir.filePath("cache"));
    }

    QTemporaryDir m_dir;
    VirtualScheduler m_clock;
    FakeExtractor m_fake;
    QUrl m_audio;
};

TEST_F(WaveformCacheTest, ConcurrentCallsJoinOneExtractionAndTheDiskServesTheNextCache)
{
    auto cache = makeCache();
    auto first = request(*cache, true);
    waitForCalls(1);
    auto second = request(*cache);
    EXPECT_TRUE(cache->isLoading(m_audio));
    EXPECT_TRUE(m_fake.call(0).lowImpact);
    // Let the joiner's disk look-up end first, so that it really joins.
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(60000)) << "pool work never ended";
    QCoreApplication::processEvents();
    m_fake.succeed(0, 0.5f);
    EXPECT_EQ(test::waitForResult(first), std::vector<float>(4096, 0.5f));
    EXPECT_EQ(test::waitForResult(second), std::vector<float>(4096, 0.5f));
    EXPECT_EQ(m_fake.count(), 1);
    EXPECT_EQ(QFileInfo(diskFile()).size(), 16384);

    auto third = request(*cache);
    EXPECT_EQ(test::waitForResult(third), std::vector<float>(4096, 0.5f));

    // A fresh cache (memory empty) reads the disk file without extracting.
    auto fresh = makeCache();
    auto fromDisk = request(*fresh);
    EXPECT_EQ(test::waitForResult(fromDisk), std::vector<float>(4096, 0.5f));
    EXPECT_EQ(m_fake.count(), 1);
}

TEST_F(WaveformCacheTest, AFailureBlocksTheFileForThirtySeconds)
{
    auto cache = makeCache();
    auto failing = request(*cache);
    waitForCalls(1);
    m_fake.fail(0);
    EXPECT_EQ(errorCode(failing), -2);

    m_clock.advance(29.9);
    auto blocked = request(*cache);
    EXPECT_EQ(errorCode(blocked), WaveformCacheError::kTemporarilyUnavailable);
    try {
        auto again = request(*cache);
        test::waitForResult(again);
    } catch (const WaveformCacheError &error) {
        EXPECT_EQ(error.domain(), "WaveformCache");
        EXPECT_EQ(error.errorDescription(), "Аудиофайл временно недоступен для waveform.");
    }
    EXPECT_EQ(m_fake.count(), 1);

    m_clock.advance(0.2);
    auto retry = request(*cache);
    waitForCalls(2);
    m_fake.succeed(1, 0.25f);
    EXPECT_EQ(errorCode(retry), 0);
    EXPECT_FALSE(cache->isLoading(m_audio));
}

TEST_F(WaveformCacheTest, AMissingFileFailsAndIsThenBlocked)
{
    auto cache = makeCache();
    const QByteArray content = TestAudioFiles::readAll(m_audio.toLocalFile());
    ASSERT_TRUE(QFile::remove(m_audio.toLocalFile()));
    auto missing = request(*cache);
    EXPECT_EQ(errorCode(missing), WaveformCacheError::kFileReadNoSuchFile);

    // Back on disk, with an envelope file ready: still blocked until the 30 s are over.
    ASSERT_TRUE(TestAudioFiles::writeAll(m_audio.toLocalFile(), content));
    WaveformDiskCache::save(std::vector<float>(4096, 0.1f), diskFile(), 1 << 30);
    auto blocked = request(*cache);
    EXPECT_EQ(errorCode(blocked), WaveformCacheError::kTemporarilyUnavailable);
    m_clock.advance(30.5);
    auto later = request(*cache);
    EXPECT_EQ(test::waitForResult(later), std::vector<float>(4096, 0.1f));

    auto notAFile = cache->samples(QUrl("https://example.com/a.mp3"), false);
    EXPECT_EQ(errorCode(notAFile), WaveformCacheError::kFileReadNoSuchFile);
    EXPECT_EQ(m_fake.count(), 0);
}

TEST_F(WaveformCacheTest, CancellingFailsTheCallerAndJoinersWithoutBlocking)
{
    auto cache = makeCache();
    auto starter = request(*cache);
    auto joiner = request(*cache);
    waitForCalls(1);
    cache->cancelLoading(m_audio);
    EXPECT_FALSE(cache->isLoading(m_audio));
    EXPECT_EQ(errorCode(starter), -1);
    EXPECT_EQ(errorCode(joiner), -1);
    EXPECT_FALSE(QFileInfo::exists(diskFile()));

    auto next = request(*cache);
    waitForCalls(2);
    m_fake.succeed(1, 0.75f);
    EXPECT_EQ(test::waitForResult(next), std::vector<float>(4096, 0.75f));
}

TEST_F(WaveformCacheTest, ACallStillReadingTheDiskWhenCancelledFailsInsteadOfStartingAnew)
{
    auto cache = makeCache();
    auto starter = request(*cache);
    waitForCalls(1);
    // The second call's disk read ends only after the cancel.
    test::ThreadPoolHold hold;
    auto late = request(*cache);
    cache->cancelLoading(m_audio);
    hold.release();
    EXPECT_EQ(errorCode(starter), -1);
    EXPECT_EQ(errorCode(late), -1);
    EXPECT_EQ(m_fake.count(), 1);
    EXPECT_FALSE(cache->isLoading(m_audio));

    // A call made after the cancel starts afresh.
    auto next = request(*cache);
    waitForCalls(2);
    m_fake.succeed(1, 0.5f);
    EXPECT_EQ(test::waitForResult(next), std::vector<float>(4096, 0.5f));
}

TEST_F(WaveformCacheTest, ACancelFailsOnlyTheCallsAlreadyReadingTheDisk)
{
    auto cache = makeCache();
    cache->cancelLoading(m_audio); // nothing loads: no later call notices
    auto starter = request(*cache);
    waitForCalls(1);
    test::ThreadPoolHold hold;
    auto overtaken = request(*cache);
    cache->cancelLoading(m_audio);
    // Starts while the overtaken call still reads the disk, but after the cancel.
    auto later = request(*cache);
    hold.release();
    EXPECT_EQ(errorCode(starter), -1);
    EXPECT_EQ(errorCode(overtaken), -1);
    waitForCalls(2);
    ASSERT_EQ(m_fake.count(), 2) << "the call made after the cancel failed too";
    m_fake.succeed(1, 0.5f);
    EXPECT_EQ(test::waitForResult(later), std::vector<float>(4096, 0.5f));
}

TEST_F(WaveformCacheTest, AWithdrawnExtractionThatStillFinishesStoresNothing)
{
    m_fake.reactsToStop = false;
    auto cache = makeCache();
    auto withdrawn = request(*cache);
    waitForCalls(1);
    cache->cancelLoading(m_audio);
    auto newer = request(*cache);
    waitForCalls(2);

    // The old extraction ends first: its caller gets the values, the cache keeps nothing of
    // them and the newer extraction stays in charge.
    m_fake.succeed(0, 0.1f);
    EXPECT_EQ(test::waitForResult(withdrawn), std::vector<float>(4096, 0.1f));
    EXPECT_TRUE(cache->isLoading(m_audio));
    EXPECT_FALSE(QFileInfo::exists(diskFile()));

    m_fake.succeed(1, 0.9f);
    EXPECT_EQ(test::waitForResult(newer), std::vector<float>(4096, 0.9f));
    auto cached = request(*cache);
    EXPECT_EQ(test::waitForResult(cached), std::vector<float>(4096, 0.9f));
    EXPECT_EQ(*WaveformDiskCache::read(diskFile()), std::vector<float>(4096, 0.9f));
}

TEST_F(WaveformCacheTest, WrongLengthOrChangedFilesAreRecomputedIntoTheRightFile)
{
    QDir().mkpath(m_dir.filePath("cache"));
    ASSERT_TRUE(TestAudioFiles::writeAll(diskFile(), QByteArray(16383, '\0')));
    auto cache = makeCache();
    auto first = request(*cache);
    waitForCalls(1);
    m_fake.succeed(0, 0.3f);
    test::waitForResult(first);
    EXPECT_EQ(QFileInfo(diskFile()).size(), 16384);
    const QString oldFile = diskFile();

    // A tag edit changes the size: a new key, a new file; the old file stays.
    ASSERT_TRUE(TestAudioFiles::writeAll(m_audio.toLocalFile(), QByteArray(200, 'b')));
    auto fresh = makeCache();
    auto second = request(*fresh);
    waitForCalls(2);
    m_fake.succeed(1, 0.6f);
    EXPECT_EQ(test::waitForResult(second), std::vector<float>(4096, 0.6f));
    EXPECT_NE(diskFile(), oldFile);
    EXPECT_TRUE(QFileInfo::exists(oldFile));
    EXPECT_TRUE(QFileInfo::exists(diskFile()));
}

} // namespace
