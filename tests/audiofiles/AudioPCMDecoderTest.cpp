#include "audiofiles/AudioPCMDecoder.h"

#include "audiofiles/FFmpegExecutable.h"
#include "audiofiles/OperationCancelled.h"
#include "support/AudioFixtures.h"
#include "support/TestAudioFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>
#include <cmath>
#include <gtest/gtest.h>

using namespace brivello;

namespace {

// Every test runs the decoder against a stub "ffmpeg" shipped in a temporary resource folder.
class AudioPCMDecoderTest : public ::testing::Test
{
protected:
    void SetUp() override { useStub("exit 0\n"); }
    void TearDown() override { FFmpegExecutable::setPlacesForTesting(std::nullopt); }

    void useStub(const QString &body)
    {
        test::writeScript(m_dir.filePath("MP3Converter/ffmpeg"), body);
        FFmpegExecutable::setPlacesForTesting(FFmpegExecutable::SearchPlaces{m_dir.path(), {}, {}});
    }
    void useRealFFmpeg() { FFmpegExecutable::setPlacesForTesting(std::nullopt); }

    AudioPCMDecoder::DecoderError decodeError(const QString &file)
    {
        try {
            AudioPCMDecoder::monoSamples(QUrl::fromLocalFile(file), 11025, 132.0, false);
        } catch (const AudioPCMDecoder::Error &error) {
            return error.kind();
        }
        ADD_FAILURE() << "no error";
        return {};
    }

    QString tone(const QString &name, double seconds = 3.0)
    {
        const QString file = m_dir.filePath(name);
        test::makeTone(file, seconds, {"-c:a", "pcm_s16le"});
        return file;
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_work;
};

TEST_F(AudioPCMDecoderTest, BuildsTheExactArgumentList)
{
    const QStringList head =
        QStringLiteral("-nostdin -v error -threads 1 -filter_threads 1 -i @ -map 0:a:0 -vn -sn -dn")
            .split(' ')
            .replaceInStrings("@", "/m/a b.mp3");
    const QStringList tail = {"-ac", "1", "-ar", "11025", "-f", "f32le", "pipe:1"};
    for (std::optional<double> none :
         {std::optional<double>{}, std::optional(0.0), std::optional(-3.0)})
        EXPECT_EQ(AudioPCMDecoder::ffmpegArguments("/m/a b.mp3", 11025, none), head + tail);
    const std::pair<double, const char *> limits[] = {{132.0, "132"}, {0.5, "1"}, {10.2, "11"}};
    for (auto [limit, text] : limits)
        EXPECT_EQ(AudioPCMDecoder::ffmpegArguments("/m/a b.mp3", 11025, limit),
                  (head + QStringList{"-t", text} + tail));
}

TEST_F(AudioPCMDecoderTest, ReadsTheProgramsFloatsAndDropsTrailingBytes)
{
    useStub("printf '\\000\\000\\200\\077\\000\\000\\000\\277\\001\\002\\003'\n");
    EXPECT_EQ(AudioPCMDecoder::monoSamples(QUrl::fromLocalFile("/m/x.mp3"), 11025, 132.0, true),
              (std::vector<float>{1.0f, -0.5f}));
}

TEST_F(AudioPCMDecoderTest, ReportsMissingProgramEmptyOutputAndFailedFallback)
{
    const QString text = m_work.filePath("words.mp3");
    test::TestAudioFiles::writeAll(text, "not audio");

    EXPECT_EQ(decodeError(text), AudioPCMDecoder::DecoderError::emptyAudio);
    useStub("printf 'abc'\n");
    EXPECT_EQ(decodeError(text), AudioPCMDecoder::DecoderError::emptyAudio);
    useStub("exit 1\n");
    EXPECT_EQ(decodeError(text), AudioPCMDecoder::DecoderError::decodingFailed);
    FFmpegExecutable::setPlacesForTesting(FFmpegExecutable::SearchPlaces{});
    EXPECT_EQ(decodeError(tone("ok.wav")), AudioPCMDecoder::DecoderError::ffmpegUnavailable);
}

TEST_F(AudioPCMDecoderTest, CancellationKillsAndReapsTheChild)
{
    const QString pidFile = m_work.filePath("pid");
    useStub(QStringLiteral("echo $$ > '%1'\nexec sleep 60\n").arg(pidFile));
    std::stop_source stop;
    QFuture<bool> decoding = QtConcurrent::run([&] {
        try {
            AudioPCMDecoder::monoSamples(
                QUrl::fromLocalFile("/m/x.mp3"), 11025, {}, false, stop.get_token());
        } catch (const OperationCancelled &) {
            return true;
        }
        return false;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(pidFile).size() > 0; }, 20000));
    stop.request_stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return decoding.isFinished(); }, 20000))
        << "the cancelled decoding did not end";
    EXPECT_TRUE(decoding.result());
    const QString pid = QString::fromUtf8(test::TestAudioFiles::readAll(pidFile)).trimmed();
    EXPECT_FALSE(QFileInfo::exists("/proc/" + pid)) << "child left behind: " << pid.toStdString();
}

TEST_F(AudioPCMDecoderTest, FallbackMatchesSoxAndFFmpegWhenTheProgramFails)
{
    const QString source = m_work.filePath("sweep.wav");
    const test::TestAudioFiles::Result made = test::TestAudioFiles::run(
        "ffmpeg",
        test::TestAudioFiles::lavfiArguments("aevalsrc=0.5*sin(2*PI*(200+300*t)*t):s=44100:d=4") +
            QStringList{"-ac", "2", "-c:a", "pcm_s16le", source});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const QString raw = m_work.filePath("sox.raw");
    const test::TestAudioFiles::Result sox = test::TestAudioFiles::run(
        "sox", {source, "-r", "11025", "-c", "1", "-e", "float", "-b", "32", "-t", "raw", raw});
    ASSERT_EQ(sox.exitCode, 0) << sox.err.toStdString();
    const QByteArray soxBytes = test::TestAudioFiles::readAll(raw);
    std::vector<float> expected(static_cast<size_t>(soxBytes.size() / 4));
    memcpy(expected.data(), soxBytes.constData(), expected.size() * 4);

    useStub("exit 1\n"); // the program fails: the in-process decoder answers
    const std::vector<float> fallback =
        AudioPCMDecoder::monoSamples(QUrl::fromLocalFile(source), 11025, {}, false);
    useRealFFmpeg();
    const std::vector<float> real =
        AudioPCMDecoder::monoSamples(QUrl::fromLocalFile(source), 11025, {}, false);

    for (const auto *samples : {&fallback, &real}) {
        ASSERT_NEAR(double(samples->size()), double(expected.size()), 16.0);
        // Both mix the two identical channels at equal weight, as sox does, up to a gain
        // (ffmpeg keeps the power of the mix): compare shapes after matching the level.
        double dot = 0, power = 0, difference = 0;
        const size_t n = std::min(samples->size(), expected.size()) - 64;
        for (size_t i = 64; i < n; ++i) {
            dot += double((*samples)[i]) * expected[i];
            power += double(expected[i]) * expected[i];
        }
        const double gain = dot / power;
        for (size_t i = 64; i < n; ++i)
            difference += std::pow((*samples)[i] - gain * expected[i], 2);
        EXPECT_LT(std::sqrt(difference / power), 0.01);
    }

    const std::vector<float> limited =
        AudioPCMDecoder::monoSamplesInProcess(QUrl::fromLocalFile(source), 11025, 1.5);
    EXPECT_NEAR(double(limited.size()), 11025 * 1.5, 40);
}

TEST_F(AudioPCMDecoderTest, InProcessDecoderFollowsAChannelCountChangeMidStream)
{
    // Concatenated files: a stereo part, then a mono part at another rate, in one stream.
    const QString stereo = m_work.filePath("stereo.mp3");
    const QString mono = m_work.filePath("mono.mp3");
    test::makeTone(stereo, 1.0, {"-c:a", "libmp3lame", "-id3v2_version", "0"}, 2);
    test::makeTone(mono, 1.0, {"-c:a", "libmp3lame", "-id3v2_version", "0"}, 1, 22050);
    const QString joined = m_work.filePath("joined.mp3");
    test::TestAudioFiles::writeAll(
        joined, test::TestAudioFiles::readAll(stereo) + test::TestAudioFiles::readAll(mono));

    const std::vector<float> samples =
        AudioPCMDecoder::monoSamplesInProcess(QUrl::fromLocalFile(joined), 11025, {});
    useRealFFmpeg();
    const std::vector<float> real =
        AudioPCMDecoder::monoSamples(QUrl::fromLocalFile(joined), 11025, {}, false);
    EXPECT_GT(samples.size(), 11025u * 3 / 2); // both parts, not only the first
    EXPECT_NEAR(double(samples.size()), double(real.size()), 11025 * 0.02);
}

} // namespace
