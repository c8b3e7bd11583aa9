#include "playback/EngineAudioPlayer.h"

#include "EngineTest.h"
#include "library/LibraryStore.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/Scheduler.h"
#include "playback/PlaybackSettingsKeys.h"
#include "playback/WaveformPreloadQueue.h"
#include "support/TestAudioFiles.h"

#include <QFile>
#include <cmath>
#include <limits>

namespace brivello::test {

namespace {

class RecordingQueue : public WaveformPreloadQueue
{
public:
    void setPlaybackActive(bool active, const QUrl &url) override { reports.append({active, url}); }
    QList<QPair<bool, QUrl>> reports;
};

} // namespace

// The player on an engine with a capture sink; the progress timer and the seek delay run on
// virtual time that advances together with the rendered audio.
class EngineAudioPlayerTest : public EngineTest
{
protected:
    void SetUp() override
    {
        Defaults::standard().resetForTesting();
        EngineTest::SetUp();
        auto &center = NotificationCenter::defaultCenter();
        center.observe(
            brivelloPlaybackDidChange, nullptr, &m_observer, [this](const auto &) { ++m_changes; });
        center.observe(brivelloPlaybackDidFinish, nullptr, &m_observer, [this](const auto &note) {
            m_finished.append(note.userInfo.value(kUserInfoTrackID).toUuid());
        });
    }
    void TearDown() override
    {
        player.reset();
        deliverReports();
        Defaults::standard().resetForTesting();
    }

    EngineAudioPlayer &makePlayer()
    {
        player = std::make_unique<EngineAudioPlayer>(
            std::move(engine), Defaults::standard(), m_queue, m_clock);
        return *player;
    }
    Track track(const QString &name, double seconds)
    {
        Track made;
        made.id = QUuid::createUuid();
        made.url = QUrl::fromLocalFile(makeFile(
            name, QStringLiteral("sine=frequency=440:sample_rate=44100:d=%1").arg(seconds)));
        made.duration = seconds;
        return made;
    }
    // Renders and lets virtual time pass in 10 ms steps.
    void run(double seconds)
    {
        for (double done = 0; done < seconds - 1e-9; done += 0.01) {
            sink->advance(frames(0.01), 441);
            deliverReports();
            m_clock.advance(0.01);
        }
        deliverReports();
    }
    double now() const { return player->progress().currentTime(); }

    VirtualScheduler m_clock;
    RecordingQueue m_queue;
    QObject m_observer;
    int m_changes = 0;
    QList<QUuid> m_finished;
    std::unique_ptr<EngineAudioPlayer> player;
};

struct VolumeCase
{
    const char *name;
    QVariant stored;
    float volume;
    QVariant afterwards;
};

TEST_F(EngineAudioPlayerTest, StoredVolumeIsClampedOnReadAndDefaultsWithoutWriting)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const VolumeCase cases[] = {
        {"above one", 1.7, 1.0f, 1.0},
        {"below zero", -0.2, 0.0f, 0.0},
        {"inside", 0.35, 0.35f, 0.35},
        {"absent", QVariant(), 0.8f, QVariant()},
        {"not a number", QStringLiteral("loud"), 0.8f, QStringLiteral("loud")},
        {"NaN", nan, 0.8f, QVariant()},
    };
    for (const VolumeCase &c : cases) {
        SCOPED_TRACE(c.name);
        Defaults::standard().resetForTesting();
        if (c.stored.isValid())
            Defaults::standard().set(kPlayerVolumeKey, c.stored);
        EngineAudioPlayer made(std::make_unique<AudioPlaybackEngine>(
                                   [] { return std::make_unique<CaptureAudioSink>(); }),
                               Defaults::standard(),
                               m_queue,
                               m_clock);
        EXPECT_FLOAT_EQ(made.volume(), c.volume);
        if (c.afterwards.typeId() == QMetaType::Double) {
            EXPECT_NEAR(Defaults::standard().real(kPlayerVolumeKey), c.afterwards.toDouble(), 1e-6);
        } else if (c.afterwards.isValid()) {
            EXPECT_EQ(Defaults::standard().value(kPlayerVolumeKey), c.afterwards);
        } else if (!c.stored.isValid()) {
            EXPECT_FALSE(Defaults::standard().contains(kPlayerVolumeKey));
        }
    }
}

TEST_F(EngineAudioPlayerTest, PlayOfTheCurrentTrackTogglesAndOnlyTheClockTicks)
{
    EngineAudioPlayer &p = makePlayer();
    const Track a = track(QStringLiteral("a.wav"), 2);
    QSignalSpy playing(&p, &AudioPlayer::isPlayingChanged);
    QSignalSpy ticks(&p.progress(), &AudioPlaybackProgress::currentTimeChanged);
    p.play(a);
    ASSERT_TRUE(p.isPlaying());
    EXPECT_NEAR(p.progress().duration(), 2.0, 0.01);
    run(0.5);
    EXPECT_NEAR(now(), 0.5, 0.06); // the clock moves at the ticks
    EXPECT_GE(ticks.count(), 9);   // 20 Hz while the player's own fields stay put
    EXPECT_EQ(playing.count(), 1);

    p.play(a);
    EXPECT_FALSE(p.isPlaying());
    const double paused = now();
    run(0.3);
    EXPECT_DOUBLE_EQ(now(), paused);
    EXPECT_FALSE(p.isProgressTimerRunning()) << "no timer while paused";
    p.play(a);
    EXPECT_TRUE(p.isPlaying());
    run(0.2);
    EXPECT_NEAR(now(), paused + 0.2, 0.06);

    const int before = m_changes;
    p.start(a); // playing already: nothing happens, nothing is published
    EXPECT_EQ(m_changes, before);
}

TEST_F(EngineAudioPlayerTest, PlayNearTheEndRestartsAndFurtherAwayResumes)
{
    const struct
    {
        double beforeEnd;
        bool restarts;
    } cases[] = {{0.04, true}, {0.06, false}};
    EngineAudioPlayer &p = makePlayer();
    const Track a = track(QStringLiteral("a.wav"), 2);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.beforeEnd);
        p.stopAndClear();
        p.play(a);
        p.toggle();
        const double target = p.progress().duration() - c.beforeEnd;
        p.seekTo(target);
        p.play(a);
        EXPECT_TRUE(p.isPlaying());
        EXPECT_NEAR(now(), c.restarts ? 0.0 : target, 1e-4);
    }
}

TEST_F(EngineAudioPlayerTest, RelativeSeeksAddUpOnThePendingTargetAndClamp)
{
    EngineAudioPlayer &p = makePlayer();
    const Track a = track(QStringLiteral("a.wav"), 4);
    p.play(a);
    run(1.0);
    const double start = p.engine().position();
    p.seekBy(1);
    run(0.01); // within the seek delay
    EXPECT_NEAR(now(), start + 1, 1e-6);
    p.seekBy(1);
    EXPECT_NEAR(now(), start + 2, 1e-6) << "the second seek starts from the pending target";
    run(0.1);
    EXPECT_GT(now(), start + 2);
    EXPECT_LT(now(), start + 2.1);
    EXPECT_FALSE(p.pendingSeekTarget());

    p.seekBy(-100);
    EXPECT_DOUBLE_EQ(now(), 0);
    p.seekBy(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(now(), 0);
    p.toggle();
    p.seekBy(100); // paused: moves to the end without reporting it
    EXPECT_DOUBLE_EQ(now(), p.progress().duration());
    run(0.2);
    EXPECT_TRUE(m_finished.isEmpty());
    p.seekTo(-3);
    EXPECT_DOUBLE_EQ(now(), 0);
}

TEST_F(EngineAudioPlayerTest, WithAnUnknownDurationSeeksDoNothingAndReportNoEnd)
{
    // Matroska written to a pipe states no length: the engine reports a duration of 0.
    const QString file = m_folder.filePath(QStringLiteral("streamed.mkv"));
    const auto made = TestAudioFiles::run(
        QStringLiteral("sh"),
        {QStringLiteral("-c"),
         QStringLiteral("ffmpeg -v error -f lavfi -i sine=f=440:d=3 -c:a flac -f matroska "
                        "pipe:1 > \"$1\""),
         QStringLiteral("sh"),
         file});
    ASSERT_TRUE(made.ok()) << made.err.toStdString();
    Track streamed;
    streamed.id = QUuid::createUuid();
    streamed.url = QUrl::fromLocalFile(file);
    EngineAudioPlayer &p = makePlayer();
    p.play(streamed);
    ASSERT_TRUE(p.isPlaying());
    ASSERT_EQ(p.engine().duration(), 0);
    run(0.5);
    const double before = now();
    EXPECT_GT(before, 0.3);
    p.seekBy(15);
    p.seekTo(1);
    run(0.1);
    EXPECT_TRUE(m_finished.isEmpty());
    EXPECT_TRUE(p.isPlaying());
    EXPECT_GT(now(), before) << "the clock runs on from where it was";
    EXPECT_LT(now(), before + 0.3);
}

TEST_F(EngineAudioPlayerTest, EndIsReportedOnceAfterTheNaturalEndAndAfterAForwardSeek)
{
    EngineAudioPlayer &p = makePlayer();
    const Track a = track(QStringLiteral("a.wav"), 1);
    p.play(a);
    run(1.5);
    EXPECT_EQ(m_finished, QList<QUuid>{a.id});
    EXPECT_FALSE(p.isPlaying());
    EXPECT_DOUBLE_EQ(now(), p.progress().duration());
    EXPECT_FALSE(p.isProgressTimerRunning()) << "the progress timer stops";

    p.play(a); // at the end: from the start again
    EXPECT_TRUE(p.isPlaying());
    run(0.2);
    p.seekBy(30);
    run(0.5);
    EXPECT_EQ(m_finished, (QList<QUuid>{a.id, a.id}));
    EXPECT_FALSE(p.isPlaying());
    run(0.5);
    EXPECT_EQ(m_finished.size(), 2);
}

TEST_F(EngineAudioPlayerTest, StateReachesTheStoreThenTheQueueThenTheNotification)
{
    LibraryStore store(Defaults::standard());
    EngineAudioPlayer &p = makePlayer();
    p.setLibraryStore(&store);
    const Track a = track(QStringLiteral("a.wav"), 2);
    bool storeFirst = false;
    qsizetype queueAtNotification = -1;
    QObject observer;
    NotificationCenter::defaultCenter().observe(
        brivelloPlaybackDidChange, &p, &observer, [&](const auto &) {
            storeFirst = store.isAudioPlaying();
            queueAtNotification = m_queue.reports.size();
        });
    p.play(a);
    EXPECT_TRUE(storeFirst);
    EXPECT_EQ(queueAtNotification, 0) << "the queue hears of it on a later turn";
    deliverReports();
    EXPECT_EQ(m_queue.reports, (QList<QPair<bool, QUrl>>{{true, a.url}}));

    p.stopAndClear();
    deliverReports();
    EXPECT_FALSE(store.isAudioPlaying());
    EXPECT_EQ(m_queue.reports.last(), (QPair<bool, QUrl>{false, QUrl()}));
    EXPECT_EQ(p.progress().duration(), 0);
}

TEST_F(EngineAudioPlayerTest, UnplayableFileBecomesCurrentSilently)
{
    LibraryStore store(Defaults::standard());
    EngineAudioPlayer &p = makePlayer();
    p.setLibraryStore(&store);
    const QString path = m_folder.filePath(QStringLiteral("text.mp3"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not audio at all");
    file.close();
    Track broken = Track::make(QUrl::fromLocalFile(path));
    broken.duration = 42;
    p.play(broken);
    EXPECT_EQ(p.currentID(), broken.id);
    EXPECT_FALSE(p.isPlaying());
    EXPECT_EQ(p.progress().duration(), 42);
    EXPECT_EQ(m_changes, 1);
    p.toggle();
    p.seekBy(5);
    p.seekTo(5);
    EXPECT_EQ(m_changes, 1);
    EXPECT_EQ(now(), 0);
    EXPECT_FALSE(store.workspaceStatus());
}

TEST_F(EngineAudioPlayerTest, LostDeviceStopsLikeAPauseWithoutAnEndAndNamesTheFile)
{
    LibraryStore store(Defaults::standard());
    EngineAudioPlayer &p = makePlayer();
    p.setLibraryStore(&store);
    const Track a = track(QStringLiteral("lost.wav"), 2);
    p.play(a);
    run(0.3);
    const int before = m_changes;
    sink->failDevice();
    run(0.1);
    EXPECT_FALSE(p.isPlaying());
    EXPECT_EQ(m_changes, before + 1);
    EXPECT_TRUE(m_finished.isEmpty());
    EXPECT_FALSE(p.isProgressTimerRunning()) << "the progress timer stops";
    ASSERT_TRUE(store.workspaceStatus());
    EXPECT_TRUE(store.workspaceStatus()->message.contains(QStringLiteral("lost.wav")));
    EXPECT_EQ(store.workspaceStatus()->tone, WorkspaceStatus::Tone::warning);
}

} // namespace brivello::test
