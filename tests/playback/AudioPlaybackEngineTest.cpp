#include "EngineTest.h"
#include "playback/AudioRenderer.h"

#include <QFile>
#include <cmath>

namespace brivello::test {

namespace {

// A constant level on both channels, exact in 16 bits, so every gain shows as a plain ratio.
const QString kLevelGraph = QStringLiteral("aevalsrc=0.5|0.5:s=44100:d=3");
const QString kToneGraph =
    QStringLiteral("aevalsrc=0.6*sin(2*PI*440*t)|0.4*sin(2*PI*660*t):s=44100:d=4");

float maxDifference(const std::vector<float> &a,
                    size_t aStart,
                    const std::vector<float> &b,
                    size_t bStart,
                    size_t count)
{
    float worst = 0;
    for (size_t i = 0; i < count; ++i)
        worst = std::max(worst, std::abs(a[aStart + i] - b[bStart + i]));
    return worst;
}

} // namespace

struct SeekCase
{
    const char *name;
    const char *file;
    int outputRate;
    double target;
    float tolerance;
};

class EngineSeekTest : public EngineTest, public ::testing::WithParamInterface<SeekCase>
{
};

TEST_P(EngineSeekTest, SamplesAfterTheFadeInEqualFfmpegFromTheTarget)
{
    const SeekCase c = GetParam();
    m_rate = c.outputRate;
    const QString path = makeFile(QString::fromLatin1(c.file), kToneGraph);
    ASSERT_TRUE(open(path));
    engine->play();
    advance(0.3);
    waitForBuffer();
    const qint64 seekAt = capturedFrames();
    engine->seek(c.target);
    advance(0.4);

    const qint64 stepAt = seekAt + frames(AudioRenderer::kStepSeconds);
    const qint64 fadeIn = frames(AudioRenderer::kFadeInSeconds);
    const std::vector<float> expected = ffmpegSamples(path, c.target, c.outputRate);
    const size_t count = static_cast<size_t>(frames(0.3)) * 2;
    ASSERT_GE(expected.size(), static_cast<size_t>(fadeIn) * 2 + count);
    EXPECT_LE(maxDifference(sink->captured(),
                            static_cast<size_t>(stepAt + fadeIn) * 2,
                            expected,
                            static_cast<size_t>(fadeIn) * 2,
                            count),
              c.tolerance);
    EXPECT_NEAR(engine->position(), c.target + 0.4 - AudioRenderer::kStepSeconds, 1.0 / m_rate);
}

INSTANTIATE_TEST_SUITE_P(
    Rates,
    EngineSeekTest,
    ::testing::Values(SeekCase{"SameRateForward", "tone.flac", 44100, 2.5, 1e-6f},
                      SeekCase{"SameRateBack", "tone.flac", 44100, 0.1, 1e-6f},
                      SeekCase{"Resampled", "tone.flac", 48000, 1.75, 2e-3f},
                      SeekCase{"Mp3", "tone.mp3", 44100, 2.0, 1e-4f},
                      SeekCase{"Aiff", "tone.aiff", 44100, 3.0, 1e-6f}),
    [](const auto &testInfo) { return std::string(testInfo.param.name); });

TEST_F(EngineTest, SeekFadesOutStepsAndFadesInOverTheirLengths)
{
    ASSERT_TRUE(open(makeFile(QStringLiteral("level.flac"), kLevelGraph)));
    engine->play();
    advance(0.5);
    waitForBuffer();
    const qint64 seekAt = capturedFrames();
    engine->seek(1.0);
    advance(0.2);

    const auto &out = sink->captured();
    const qint64 fadeOut = frames(AudioRenderer::kFadeOutSeconds);
    const qint64 step = frames(AudioRenderer::kStepSeconds);
    const qint64 fadeIn = frames(AudioRenderer::kFadeInSeconds);
    const auto left = [&](qint64 frame) { return out[static_cast<size_t>(frame) * 2]; };
    EXPECT_FLOAT_EQ(left(seekAt - 1), 0.5f);
    // Each ramp frame moves by one step of its length; the last fade-out frame is silent.
    for (qint64 k = 0; k < fadeOut; ++k)
        ASSERT_NEAR(left(seekAt + k), 0.5f * (1.0f - float(k + 1) / fadeOut), 1e-5f) << k;
    for (qint64 k = fadeOut; k < step; ++k)
        ASSERT_EQ(left(seekAt + k), 0.0f) << k;
    for (qint64 k = 0; k < fadeIn; ++k)
        ASSERT_NEAR(left(seekAt + step + k), 0.5f * float(k + 1) / fadeIn, 1e-5f) << k;
    EXPECT_FLOAT_EQ(left(seekAt + step + fadeIn), 0.5f);
}

TEST_F(EngineTest, ClockFollowsPlayedFramesNeverRenderedOnes)
{
    m_latency = 2048;
    ASSERT_TRUE(open(makeFile(QStringLiteral("tone.flac"), kToneGraph)));
    engine->play();
    for (int i = 0; i < 100; ++i) {
        advance(0.01, 441);
        const double played = double(sink->playedFrames()) / m_rate;
        ASSERT_DOUBLE_EQ(engine->position(), played) << i;
        ASSERT_LE(engine->position(), double(sink->renderedFrames()) / m_rate);
    }
    // A pending seek shows its target until the device plays it; then the clock runs from it.
    const qint64 seekAt = sink->renderedFrames();
    engine->seek(3.0);
    EXPECT_TRUE(engine->isSeekPending());
    EXPECT_DOUBLE_EQ(engine->position(), 3.0);
    advance(0.02, 441);
    EXPECT_DOUBLE_EQ(engine->position(), 3.0);
    advance(0.2, 441);
    EXPECT_FALSE(engine->isSeekPending());
    const double sinceStep =
        double(sink->playedFrames() - seekAt - frames(AudioRenderer::kStepSeconds)) / m_rate;
    EXPECT_NEAR(engine->position(), 3.0 + sinceStep, 1.0 / m_rate);
}

TEST_F(EngineTest, NaturalEndIsReportedOnceWhenTheDeviceHasPlayedIt)
{
    m_latency = 4096;
    ASSERT_TRUE(open(makeFile(QStringLiteral("short.wav"),
                              QStringLiteral("sine=frequency=1000:sample_rate=44100:d=0.5"))));
    engine->play();
    advance(0.5 + 2048.0 / m_rate); // rendered past the end, not yet played
    EXPECT_EQ(finishedSpy->count(), 0);
    advance(0.2);
    EXPECT_EQ(finishedSpy->count(), 1);
    EXPECT_FALSE(engine->isPlaying());
    EXPECT_DOUBLE_EQ(engine->position(), engine->duration());
    advance(1.0);
    EXPECT_EQ(finishedSpy->count(), 1);
    EXPECT_EQ(failedSpy->count(), 0);

    // From the start again it ends once more.
    engine->seek(0);
    engine->play();
    advance(1.0);
    EXPECT_EQ(finishedSpy->count(), 2);
}

TEST_F(EngineTest, SeeksNearTheEndReportTheEndOnce)
{
    ASSERT_TRUE(open(makeFile(QStringLiteral("tone.flac"), kToneGraph)));
    engine->play();
    advance(0.2);
    engine->seek(3.9);
    advance(0.01);
    engine->seek(3.99); // replaces the first before it jumps
    advance(0.05);
    EXPECT_EQ(finishedSpy->count(), 1);
    engine->seek(10.0); // clamped to the end while stopped there
    EXPECT_DOUBLE_EQ(engine->position(), engine->duration());
    engine->play();
    advance(0.2);
    EXPECT_EQ(finishedSpy->count(), 2);
    advance(0.5);
    EXPECT_EQ(finishedSpy->count(), 2);
    // An end the device played just before a newer seek back is not the end of the track.
    engine->seek(3.995);
    engine->play();
    sink->advance(frames(0.1));
    engine->seek(1.0);
    advance(0.5);
    EXPECT_EQ(finishedSpy->count(), 2);
    EXPECT_TRUE(engine->isPlaying());
}

TEST_F(EngineTest, ManySeeksWithinASecondEndAtTheLastTarget)
{
    ASSERT_TRUE(open(makeFile(QStringLiteral("tone.flac"), kToneGraph)));
    engine->play();
    for (int i = 0; i < 50; ++i) {
        engine->seek(std::fmod(i * 0.37, 3.7) - 0.2);
        advance(0.02, 256);
    }
    engine->seek(2.0);
    advance(0.1, 256);
    EXPECT_NEAR(engine->position(), 2.0 + 0.1 - AudioRenderer::kStepSeconds, 0.006);
    EXPECT_EQ(failedSpy->count(), 0);
}

TEST_F(EngineTest, PauseHoldsThePositionAndPlayResumesThere)
{
    ASSERT_TRUE(open(makeFile(QStringLiteral("level.flac"), kLevelGraph)));
    engine->play();
    advance(0.5);
    engine->pause();
    const double paused = engine->position();
    const qint64 pausedAt = capturedFrames();
    advance(0.5);
    EXPECT_DOUBLE_EQ(engine->position(), paused);
    EXPECT_EQ(sink->captured()[static_cast<size_t>(pausedAt) * 2], 0.0f);
    engine->play();
    advance(0.25);
    EXPECT_NEAR(engine->position(), paused + 0.25, 1.0 / m_rate);
    EXPECT_FLOAT_EQ(sink->captured().back(), 0.5f);
}

TEST_F(EngineTest, PauseDuringASeekFadeAbandonsTheSeek)
{
    ASSERT_TRUE(open(makeFile(QStringLiteral("tone.flac"), kToneGraph)));
    engine->play();
    advance(1.0);
    engine->seek(3.0);
    advance(0.005, 64);
    engine->pause();
    advance(0.1);
    EXPECT_NEAR(engine->position(), 1.005, 1.0 / m_rate);
    EXPECT_FALSE(engine->isSeekPending());
    engine->play();
    advance(0.1);
    EXPECT_NEAR(engine->position(), 1.105, 1.0 / m_rate);

    // A seek made while paused stays, even when playback starts and stops before it lands.
    engine->pause();
    engine->seek(3.0);
    engine->play();
    engine->pause();
    advance(0.1);
    EXPECT_DOUBLE_EQ(engine->position(), 3.0);
}

TEST_F(EngineTest, VolumeScalesEverySampleAndIsClamped)
{
    ASSERT_TRUE(open(makeFile(QStringLiteral("level.flac"), kLevelGraph)));
    engine->play();
    engine->setVolume(0.5f);
    advance(0.1);
    EXPECT_FLOAT_EQ(sink->captured().back(), 0.25f);
    engine->setVolume(std::nanf(""));
    EXPECT_EQ(engine->volume(), 0.0f);
    engine->setVolume(1.7f);
    EXPECT_EQ(engine->volume(), 1.0f);
}

TEST_F(EngineTest, FilesThatAreNotPlayableOpenNothing)
{
    QFile text(m_folder.filePath(QStringLiteral("notes.mp3")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray("not audio at all\n").repeated(200));
    text.close();
    QFile empty(m_folder.filePath(QStringLiteral("empty.flac")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    for (const QString &name : {QStringLiteral("notes.mp3"),
                                QStringLiteral("empty.flac"),
                                QStringLiteral("missing.wav"),
                                QStringLiteral(".")}) {
        EXPECT_FALSE(open(m_folder.filePath(name))) << name.toStdString();
        EXPECT_FALSE(engine->isOpen());
        engine->play();
        engine->seek(1.0);
        EXPECT_EQ(engine->position(), 0.0);
    }
}

TEST_F(EngineTest, FileCutShortOrDeletedWhilePlayingEndsCleanly)
{
    for (const bool truncate : {true, false}) {
        const QString path = makeFile(QStringLiteral("long.wav"), kToneGraph);
        ASSERT_TRUE(open(path));
        engine->play();
        advance(0.3);
        if (truncate)
            ASSERT_TRUE(QFile::resize(path, 100000));
        else
            ASSERT_TRUE(QFile::remove(path));
        engine->seek(0.5);
        advance(5.0, 4096);
        EXPECT_EQ(finishedSpy->count() + failedSpy->count(), 1) << truncate;
        finishedSpy->clear();
        failedSpy->clear();
        engine->close();
    }
}

TEST_F(EngineTest, LostDeviceStopsWithoutAnEnd)
{
    ASSERT_TRUE(open(makeFile(QStringLiteral("short.flac"), kLevelGraph)));
    engine->play();
    advance(0.2);
    sink->failDevice();
    deliverReports();
    EXPECT_EQ(failedSpy->count(), 1);
    EXPECT_FALSE(engine->isPlaying());
    advance(4.0);
    EXPECT_EQ(finishedSpy->count(), 0);
}

} // namespace brivello::test
