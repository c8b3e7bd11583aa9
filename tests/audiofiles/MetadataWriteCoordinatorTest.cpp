#include "audiofiles/MetadataWriteCoordinator.h"

#include "WriterTestSupport.h"
#include "platform/Scheduler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

using namespace brivello;
using namespace brivello::test;

namespace {

[[nodiscard]] bool spinUntil(const std::function<bool()> &done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() >= 30000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Takes the lock, notes its turn, and holds the permit until `release` is set.
QCoro::Task<> holdLock(QString path, int turn, QList<int> *order, const bool *release)
{
    auto permit = co_await MetadataWriteCoordinator::shared().acquire(path);
    order->append(turn);
    while (!*release)
        co_await Scheduler::yield();
}

QCoro::Task<> writeAndRecord(QUrl url, AudioTags tags, std::optional<WriteError> *error, bool *done)
{
    try {
        co_await MetadataWriteCoordinator::shared().write(tags, false, url);
    } catch (const WriteError &e) {
        *error = e;
    }
    *done = true;
}

} // namespace

class MetadataWriteCoordinatorTest : public WriterTest
{
};

TEST_F(MetadataWriteCoordinatorTest, WaitersGetTheLockFirstComeFirstServedAndOtherPathsDoNotWait)
{
    auto &coordinator = MetadataWriteCoordinator::shared();
    const QString key = path("x.mp3");
    QList<int> order;
    bool release[3] = {false, false, false};
    auto first = holdLock(key, 1, &order, &release[0]);
    auto second = holdLock(key, 2, &order, &release[1]);
    auto third = holdLock(key, 3, &order, &release[2]);
    bool otherRelease = false;
    auto other = holdLock(path("other.mp3"), 9, &order, &otherRelease); // does not wait
    EXPECT_EQ(order, (QList<int>{1, 9}));
    EXPECT_EQ(coordinator.waiterCount(key), 2);
    otherRelease = true;
    order.removeLast();

    release[0] = true;
    ASSERT_TRUE(spinUntil([&] { return order.size() == 2; })) << "still waiting after 30 s";
    EXPECT_EQ(order, (QList<int>{1, 2}));
    EXPECT_TRUE(coordinator.isLocked(key)); // handed over, never free in between
    EXPECT_EQ(coordinator.waiterCount(key), 1);

    release[1] = true;
    ASSERT_TRUE(spinUntil([&] { return order.size() == 3; })) << "still waiting after 30 s";
    release[2] = true;
    ASSERT_TRUE(spinUntil([&] { return !coordinator.isLocked(key); }))
        << "still waiting after 30 s";
    EXPECT_EQ(order, (QList<int>{1, 2, 3}));
    EXPECT_EQ(coordinator.waiterCount(key), 0);
    ASSERT_TRUE(spinUntil([&] { return !coordinator.isLocked(path("other.mp3")); }))
        << "still waiting after 30 s";
    EXPECT_FALSE(coordinator.isLocked(path("other.mp3")));
}

TEST_F(MetadataWriteCoordinatorTest, AFailedWriteReleasesTheLock)
{
    const QString file = path("broken.flac");
    TestAudioFiles::writeAll(file, "not a flac stream");
    std::optional<WriteError> error;
    bool done = false;
    auto task = writeAndRecord(url(file), fullTags(), &error, &done);
    ASSERT_TRUE(spinUntil([&] { return done; })) << "still waiting after 30 s";
    ASSERT_TRUE(error);
    EXPECT_EQ(int(error->kind()), int(WriteError::Kind::unsupportedFormat));
    EXPECT_FALSE(
        MetadataWriteCoordinator::shared().isLocked(MetadataWriteCoordinator::lockKey(url(file))));
}

// The test holds the lock first: a write that finished before a check could otherwise never
// have waited, whatever the machine's speed.
TEST_F(MetadataWriteCoordinatorTest, TwoWritersOnOneFileRunOneAfterTheOther)
{
    const QString file = make("c.flac");
    const QString key = MetadataWriteCoordinator::lockKey(url(file));
    EXPECT_EQ(MetadataWriteCoordinator::lockKey(QUrl::fromLocalFile(m_dir.path() + "/s/../c.flac")),
              key);
    QList<int> order;
    bool release = false;
    auto holder = holdLock(key, 1, &order, &release);
    AudioTags firstTags = fullTags();
    AudioTags secondTags = fullTags();
    secondTags.title = "second";
    std::optional<WriteError> errors[2];
    bool done[2] = {false, false};
    auto first = writeAndRecord(url(file), firstTags, &errors[0], &done[0]);
    auto second = writeAndRecord(
        QUrl::fromLocalFile(m_dir.path() + "/./c.flac"), secondTags, &errors[1], &done[1]);
    EXPECT_EQ(MetadataWriteCoordinator::shared().waiterCount(key), 2);
    EXPECT_FALSE(done[0] || done[1]);

    release = true;
    ASSERT_TRUE(spinUntil([&] { return done[0] && done[1]; })) << "still waiting after 30 s";
    EXPECT_FALSE(errors[0]);
    EXPECT_FALSE(errors[1]);
    // The second write queued last, so its title is the one left on disk.
    EXPECT_EQ(TestAudioFiles::ffprobeTags(file).value(QStringLiteral("title")).toString(),
              "second");
    EXPECT_FALSE(MetadataWriteCoordinator::shared().isLocked(key));
}

TEST_F(MetadataWriteCoordinatorTest, AFileMovedWhileAWriteWaitedIsNotBroughtBack)
{
    const QString file = make("d.wav");
    const QString key = MetadataWriteCoordinator::lockKey(url(file));
    QList<int> order;
    bool release = false;
    auto holder = holdLock(key, 1, &order, &release);
    std::optional<WriteError> error;
    bool done = false;
    auto waiting = writeAndRecord(url(file), fullTags(), &error, &done);
    ASSERT_EQ(MetadataWriteCoordinator::shared().waiterCount(key), 1);
    ASSERT_TRUE(QFile::rename(file, path("trashed.wav")));
    release = true;
    ASSERT_TRUE(spinUntil([&] { return done; })) << "still waiting after 30 s";
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->isFileNotFound());
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(TestAudioFiles::leftoverTemporaries(m_dir.path()).isEmpty());
}
