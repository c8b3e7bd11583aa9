#include "waveform/AudioProcessor.h"

#include "audiofiles/FFmpegExecutable.h"
#include "audiofiles/OperationCancelled.h"
#include "support/AudioFixtures.h"
#include "support/TestAudioFiles.h"
#include "support/WaitForResult.h"
#include "waveform/AudioProcessingError.h"
#include "waveform/FFmpegEnvelopeSource.h"
#include "waveform/FileEnvelopeSource.h"
#include "waveform/WaveformCache.h"

#include <QCoroTask>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cmath>
#include <gtest/gtest.h>
#include <signal.h>

using namespace brivello;
using test::TestAudioFiles;

namespace {

constexpr int kPoints = 4096;

class AudioProcessorTest : public ::testing::Test
{
protected:
    void TearDown() override { FFmpegExecutable::setPlacesForTesting(std::nullopt); }

    // sox: a 3 s signal at 44.1 kHz stereo.
    QString sox(const QString &name, const QStringList &effects)
    {
        const QString file = m_dir.filePath(name);
        const auto made = TestAudioFiles::run(
            "sox", QStringList{"-D", "-n", "-r", "44100", "-c", "2", "-b", "16", file} + effects);
        EXPECT_TRUE(made.ok()) << made.err.constData();
        return file;
    }
    static std::vector<float> extract(const QString &file, bool lowImpact = false)
    {
        auto task = AudioProcessor::extractEnvelope(QUrl::fromLocalFile(file), kPoints, lowImpact);
        return test::waitForResult(task);
    }
    // The same command line run by hand, its raw output read as floats.
    static std::vector<float> handRunFFmpeg(const QString &file)
    {
        const auto decoded = TestAudioFiles::run("ffmpeg", FFmpegEnvelopeSource::arguments(file));
        EXPECT_TRUE(decoded.ok());
        std::vector<float> samples(size_t(decoded.out.size() / 4));
        std::memcpy(samples.data(), decoded.out.constData(), samples.size() * 4);
        return samples;
    }
    void useStub(const QString &body)
    {
        test::writeScript(m_dir.filePath("bin/MP3Converter/ffmpeg"), body);
        FFmpegExecutable::setPlacesForTesting(
            FFmpegExecutable::SearchPlaces{m_dir.filePath("bin"), {}, {}});
    }
    void useNoFFmpeg() { FFmpegExecutable::setPlacesForTesting(FFmpegExecutable::SearchPlaces{}); }

    QTemporaryDir m_dir;
};

float maxDifference(const std::vector<float> &a, const std::vector<float> &b)
{
    EXPECT_EQ(a.size(), b.size());
    float worst = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        worst = std::max(worst, std::fabs(a[i] - b[i]));
    return worst;
}

TEST_F(AudioProcessorTest, SoxSignalsMatchAHandRunFFmpegAndTheirExpectedShapes)
{
    const QString silence = sox("silence.wav", {"trim", "0", "3"});
    const QString sine = sox("sine.wav", {"synth", "3", "sine", "440", "vol", "0.5"});
    const QString burst = sox("burst.wav", {"synth", "1", "sine", "440", "pad", "1", "1"});
    for (const QString &file : {silence, sine, burst}) {
        const std::vector<float> envelope = extract(file);
        ASSERT_EQ(envelope.size(), size_t(kPoints)) << file.toStdString();
        EXPECT_LT(maxDifference(envelope,
                                AudioProcessor::normalizedEnvelope(handRunFFmpeg(file), kPoints)),
                  1e-5f)
            << file.toStdString();
    }
    for (float v : extract(silence))
        EXPECT_LT(v, 1e-3f);
    const std::vector<float> tone = extract(sine);
    EXPECT_GT(*std::min_element(tone.begin() + 1, tone.end() - 1), 0.5f);
    EXPECT_FLOAT_EQ(*std::max_element(tone.begin(), tone.end()), 1.0f);
    const std::vector<float> shaped = extract(burst);
    EXPECT_LT(shaped[kPoints / 6], 1e-3f);
    EXPECT_GT(shaped[kPoints / 2], 0.5f);
    EXPECT_LT(shaped[kPoints * 5 / 6], 1e-3f);
    // Low impact paces the reading but changes nothing of the result.
    EXPECT_EQ(extract(burst, true), shaped);
}

TEST_F(AudioProcessorTest, WithoutFFmpegOrWhenItFailsTheFileIsDecodedInProcess)
{
    const QString burst =
        sox("burst.wav", {"synth", "1", "sine", "440", "vol", "0.5", "pad", "1", "1"});
    useNoFFmpeg();
    const std::vector<float> fallback = extract(burst);
    ASSERT_EQ(fallback.size(), size_t(kPoints));
    EXPECT_LT(fallback[kPoints / 6], 1e-3f);
    EXPECT_GT(fallback[kPoints / 2], 0.5f);
    EXPECT_LT(fallback[kPoints * 5 / 6], 1e-3f);
    for (const char *stub : {"exit 1\n", "exit 0\n"}) {
        useStub(stub); // a failing run, and a run that writes nothing
        EXPECT_EQ(extract(burst), fallback) << stub;
    }
}

TEST_F(AudioProcessorTest, TheFallbacksCountingPassOfALengthlessStreamStopsWhenCancelled)
{
    // Matroska written to a pipe states no duration: the fallback counts the frames first.
    const QString file = m_dir.filePath("streamed.mkv");
    const auto made = TestAudioFiles::run(
        "sh",
        {"-c",
         "ffmpeg -v error -f lavfi -i sine=f=440:d=2 -c:a flac -f matroska pipe:1 > \"$1\"",
         "sh",
         file});
    ASSERT_TRUE(made.ok()) << made.err.constData();
    const FileEnvelopeSource counted(file, kPoints);
    EXPECT_NEAR(double(counted.totalFrames()), 2 * 44100.0, 2048);

    std::stop_source stop;
    stop.request_stop();
    EXPECT_THROW(FileEnvelopeSource(file, kPoints, stop.get_token()), OperationCancelled);
}

TEST_F(AudioProcessorTest, BadInputFailsWithTheFallbacksError)
{
    const QString text = m_dir.filePath("notes.mp3");
    TestAudioFiles::writeAll(text, "this is not audio at all");
    const QString empty = m_dir.filePath("empty.wav");
    TestAudioFiles::writeAll(empty, {});
    for (const QString &file : {text, empty, m_dir.filePath("deleted.flac")}) {
        try {
            extract(file);
            ADD_FAILURE() << "no error for " << file.toStdString();
        } catch (const AudioProcessingError &error) {
            EXPECT_EQ(error.kind(), AudioProcessingError::Kind::fileUnreadable);
        }
    }
    auto none = AudioProcessor::extractEnvelope(QUrl::fromLocalFile(text), 0, false);
    EXPECT_TRUE(test::waitForResult(none).empty());
}

TEST_F(AudioProcessorTest, CancellingKillsAndReapsTheDecoderWithoutFallingBack)
{
    const QString pidFile = m_dir.filePath("pid");
    useStub(QStringLiteral("echo $$ > '%1'\nexec sleep 600\n").arg(pidFile));
    const QString sine = sox("sine.wav", {"synth", "1", "sine", "440"});
    std::stop_source stop;
    auto task =
        AudioProcessor::extractEnvelope(QUrl::fromLocalFile(sine), kPoints, true, stop.get_token());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(pidFile).size() > 0; }, 30000));
    const pid_t pid = TestAudioFiles::readAll(pidFile).trimmed().toInt();
    ASSERT_GT(pid, 0);
    stop.request_stop();
    EXPECT_THROW(test::waitForResult(task), OperationCancelled);
    // Killed and reaped: not even a zombie is left.
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST_F(AudioProcessorTest, CancelLoadingStopsTheCachesRunningDecoder)
{
    const QString pidFile = m_dir.filePath("pid");
    useStub(QStringLiteral("echo $$ > '%1'\nexec sleep 600\n").arg(pidFile));
    const QUrl sine = QUrl::fromLocalFile(sox("sine.wav", {"synth", "1", "sine", "440"}));
    WaveformCache cache(m_dir.filePath("cache"), &AudioProcessor::extractEnvelope);
    auto task = cache.samples(sine, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(pidFile).size() > 0; }, 30000));
    const pid_t pid = TestAudioFiles::readAll(pidFile).trimmed().toInt();
    cache.cancelLoading(sine);
    EXPECT_THROW(test::waitForResult(task), OperationCancelled);
    EXPECT_EQ(::kill(pid, 0), -1);
    // Not blocked: the next request decodes afresh (the real ffmpeg this time).
    FFmpegExecutable::setPlacesForTesting(std::nullopt);
    auto again = cache.samples(sine, false);
    EXPECT_EQ(test::waitForResult(again).size(), 4096u);
}

TEST(AudioProcessorEnvelopeTest, NormalisationFollowsTheReferencesAndTheCurve)
{
    // A silent input: both references fall back to 1 and the values stay near 0.
    for (float v : AudioProcessor::normalizedEnvelope(std::vector<float>(100, 0.0f), 10))
        EXPECT_LT(v, 1e-4f);
    // Points at their references give exactly 1; louder ones are capped there.
    const std::vector<float> values =
        AudioProcessor::normalize({0.5f, 0.5f, 2.0f, 0.25f}, {1.0f, 1.0f, 4.0f, 0.5f});
    EXPECT_FLOAT_EQ(values[2], 1.0f);
    EXPECT_FLOAT_EQ(values[3], std::pow(0.12f * 0.125f + 0.88f * 0.125f, 0.78f));
    // NaN and infinite samples draw as silence rather than poisoning the drawing.
    for (float v : AudioProcessor::normalizedEnvelope(
             std::vector<float>{NAN, 0.5f, INFINITY, -0.5f, NAN, 0.25f}, 3))
        EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << v;
    // Fewer samples than points: every point still covers one sample.
    const std::vector<float> stretched =
        AudioProcessor::normalizedEnvelope(std::vector<float>{0.5f, 1.0f}, 4);
    EXPECT_EQ(stretched, (std::vector<float>{stretched[0], stretched[0], 1.0f, 1.0f}));
}

TEST(AudioProcessorEnvelopeTest, PercentileKeepsValuesAboveTheFloor)
{
    const struct
    {
        std::vector<float> values;
        double fraction;
        float expected;
    } cases[] = {
        {{}, 0.97, 1.0f},
        {{0.0f, 1e-7f}, 0.97, 1.0f},
        {{0.3f, 0.1f, 0.2f}, 0.5, 0.2f},
        {{0.4f, 0.1f, 0.3f, 0.2f}, 0.5, 0.3f}, // index 1.5 rounds away from zero
        {{0.1f, 0.2f, 0.0f}, 0.99, 0.2f},
    };
    for (const auto &c : cases)
        EXPECT_FLOAT_EQ(AudioProcessor::percentile(c.values, c.fraction), c.expected);
}

} // namespace
