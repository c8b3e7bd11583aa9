#include "analysis/AudioQualityAnalyzer.h"

#include "AnalysisFixtures.h"
#include "analysis/AnalysisError.h"
#include "audiofiles/OperationCancelled.h"
#include "support/TestAudioFiles.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace brivello;

namespace {

constexpr int kCells = AudioQualityAnalyzer::kColumns * AudioQualityAnalyzer::kRows;

class AudioQualityAnalyzerTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    AudioQualityAnalysis analyze(const QString &file, int window = 4096, float range = 100)
    {
        return AudioQualityAnalyzer::analyze(QUrl::fromLocalFile(file), window, range);
    }

    // Pink noise through a chain of steps; returns the last file.
    QString pinkNoise(const QString &name)
    {
        const QString file = path(name);
        test::lavfi(
            QStringLiteral("anoisesrc=color=pink:duration=12:sample_rate=44100:amplitude=0.4"),
            file,
            {"-ac", "2"});
        return file;
    }

    QString throughMp3(const QString &source, const QString &bitrate)
    {
        const QString mp3 = path(QStringLiteral("lossy-%1.mp3").arg(bitrate));
        const QString flac = path(QStringLiteral("from-%1.flac").arg(bitrate));
        test::ffmpeg({"-i", source, "-c:a", "libmp3lame", "-b:a", bitrate, mp3});
        test::ffmpeg({"-i", mp3, flac});
        return flac;
    }

    QTemporaryDir m_dir;
};

TEST(AudioQualityVerdictTest, RawValuesRoundTripAndNothingElseParses)
{
    for (auto value : {AudioQualityVerdict::lossless,
                       AudioQualityVerdict::lossy,
                       AudioQualityVerdict::suspicious,
                       AudioQualityVerdict::inconclusive})
        EXPECT_EQ(AudioQualityVerdict::fromRawValue(AudioQualityVerdict(value).rawValue()), value);
    EXPECT_EQ(AudioQualityVerdict(AudioQualityVerdict::suspicious).rawValue(),
              "Подозрение на lossy");
    EXPECT_FALSE(AudioQualityVerdict::fromRawValue(QStringLiteral("lossy")));
}

TEST(AudioQualityAnalyzerRulesTest, StoredSettingsAreClamped)
{
    EXPECT_EQ(AudioQualityAnalyzer::clampedWindowSize(2048), 2048);
    EXPECT_EQ(AudioQualityAnalyzer::clampedWindowSize(8192), 8192);
    for (qint64 bad : {0LL, -4096LL, 1024LL, 3000LL, 16384LL, 1LL << 40})
        EXPECT_EQ(AudioQualityAnalyzer::clampedWindowSize(bad), 4096) << bad;
    EXPECT_EQ(AudioQualityAnalyzer::clampedDensityRange(60), 60.0f);
    for (double bad : {0.0, -5.0, std::nan(""), HUGE_VAL, 1e300})
        EXPECT_EQ(AudioQualityAnalyzer::clampedDensityRange(bad), 100.0f) << bad;
}

TEST(AudioQualityAnalyzerRulesTest, WindowsSpreadFromStartToEnd)
{
    const std::vector<qint64> spread = AudioQualityAnalyzer::windowPositions(100000, 4096);
    ASSERT_EQ(spread.size(), 192u);
    EXPECT_EQ(spread.front(), 0);
    EXPECT_EQ(spread[1], qint64(95904.0 / 191));
    EXPECT_EQ(spread.back(), 100000 - 4096);
    for (qint64 position : AudioQualityAnalyzer::windowPositions(1000, 4096))
        EXPECT_EQ(position, 0);
}

TEST(AudioQualityAnalyzerRulesTest, CompactSpectrumAveragesTwelveOrThirteenBins)
{
    std::vector<float> ramp(2048);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = float(i);
    const std::vector<float> bins = AudioQualityAnalyzer::compactSpectrum(ramp, 160);
    ASSERT_EQ(bins.size(), 160u);
    EXPECT_FLOAT_EQ(bins[0], 5.5f);  // 0 … 11
    EXPECT_FLOAT_EQ(bins[1], 18.0f); // 12 … 24
    EXPECT_FLOAT_EQ(bins[159], (2035.0f + 2047.0f) / 2);
    EXPECT_EQ(AudioQualityAnalyzer::compactSpectrum({1.0f, 3.0f}, 4),
              (std::vector<float>{1, 1, 3, 3}));
    EXPECT_TRUE(AudioQualityAnalyzer::compactSpectrum(ramp, 0).empty());
}

TEST(AudioQualityAnalyzerRulesTest, BytesAreLinearInDecibelsBelowThePeak)
{
    struct Case
    {
        float value;
        float range;
        int byte;
    };
    for (const Case &c : {Case{1, 100, 255},
                          Case{1e-10f, 100, 0},
                          Case{1e-6f, 60, 0},
                          Case{1e-2f, 100, 204},
                          Case{0, 140, 36},
                          Case{0, 100, 0}}) {
        const std::vector<uint8_t> bytes =
            AudioQualityAnalyzer::spectrogramBytes({1.0f, c.value}, c.range);
        EXPECT_EQ(bytes[0], 255);
        EXPECT_EQ(bytes[1], c.byte) << c.value << " at " << c.range;
    }
    // No energy anywhere: every cell sits at the 10⁻¹² floor.
    EXPECT_EQ(AudioQualityAnalyzer::spectrogramBytes({0, 0}, 140), (std::vector<uint8_t>{36, 36}));
}

TEST(AudioQualityAnalyzerRulesTest, VerdictRulesFollowTheContainerAndTheLimit)
{
    struct Case
    {
        const char *extension;
        double cutoff;
        double rate;
        bool silent;
        AudioQualityVerdict verdict;
    };
    const Case cases[] = {
        {"flac", 16150.8, 44100, false, AudioQualityVerdict::suspicious},
        {"flac", 16758, 44100, false, AudioQualityVerdict::lossless},
        {"wav", 18999, 96000, false, AudioQualityVerdict::suspicious},
        {"wav", 19000, 96000, false, AudioQualityVerdict::lossless},
        {"alac", 22000, 44100, false, AudioQualityVerdict::lossless},
        {"mp3", 11000, 44100, false, AudioQualityVerdict::lossy},
        {"m4a", 22000, 44100, false, AudioQualityVerdict::lossy},
        {"opus", 22000, 48000, false, AudioQualityVerdict::inconclusive},
        {"", 22000, 48000, false, AudioQualityVerdict::inconclusive},
        {"flac", 0, 44100, true, AudioQualityVerdict::inconclusive},
        {"mp3", 0, 44100, true, AudioQualityVerdict::lossy},
    };
    for (const Case &c : cases) {
        const auto finding = AudioQualityAnalyzer::judge(
            QString::fromLatin1(c.extension), c.cutoff, c.rate, c.silent);
        EXPECT_EQ(finding.verdict, c.verdict) << c.extension << " " << c.cutoff;
        EXPECT_FALSE(finding.note.isEmpty());
    }
    const auto note =
        AudioQualityAnalyzer::judge(QStringLiteral("flac"), 16150.8, 44100, false).note.text();
    EXPECT_TRUE(note.contains(QStringLiteral("16100"))) << note.toStdString();
}

// A sine on bin 512 of 4096 leaks only into bins 511 and 513, at a quarter of its power.
// Rows 39 (bins 499…511) and 40 (bins 512…523) then hold (P/4)/13 and (5P/4)/12: 236 and 255.
TEST_F(AudioQualityAnalyzerTest, SineGivesExactSpectrogramBytes)
{
    const double frequency = 512.0 * 44100 / 4096;
    std::vector<float> samples(44100 * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(0.5 * std::sin(2 * std::numbers::pi * frequency * double(i) / 44100));
    ASSERT_TRUE(test::writeFloatWav(path("sine.wav"), samples, 44100));

    const AudioQualityAnalysis result = analyze(path("sine.wav"));
    ASSERT_EQ(result.spectrogram.size(), size_t(kCells));
    std::vector<uint8_t> column(160, 0);
    column[39] = 236;
    column[40] = 255;
    for (int c = 0; c < 192; ++c) {
        const std::vector<uint8_t> actual(result.spectrogram.begin() + c * 160,
                                          result.spectrogram.begin() + (c + 1) * 160);
        ASSERT_EQ(actual, column) << "column " << c;
    }
    EXPECT_EQ(result.sampleRate, 44100);
    EXPECT_EQ(result.channelCount, 1);
    EXPECT_EQ(result.dftWindowSize, 4096);
    EXPECT_EQ(result.spectrogramWidth, 192);
    EXPECT_EQ(result.spectrogramHeight, 160);
}

TEST_F(AudioQualityAnalyzerTest, VeryShortFilesUseOnePaddedWindowOrFail)
{
    const auto tone = [](size_t count) {
        std::vector<float> samples(count);
        for (size_t i = 0; i < count; ++i)
            samples[i] = float(0.3 * std::sin(0.2 * double(i)));
        return samples;
    };
    ASSERT_TRUE(test::writeFloatWav(path("128.wav"), tone(128), 44100));
    try {
        analyze(path("128.wav"));
        FAIL() << "no error";
    } catch (const AnalysisError &error) {
        EXPECT_EQ(error.domain(), "Brivello.Quality");
        EXPECT_EQ(error.code(), 1);
        EXPECT_EQ(error.localizedDescription(), "Не удалось прочитать аудиодорожку.");
    }
    ASSERT_TRUE(test::writeFloatWav(path("129.wav"), tone(129), 44100));
    ASSERT_TRUE(test::writeFloatWav(path("3000.wav"), tone(3000), 44100));
    for (const char *name : {"129.wav", "3000.wav"}) {
        const AudioQualityAnalysis result = analyze(path(QString::fromLatin1(name)));
        ASSERT_EQ(result.spectrogram.size(), size_t(kCells)) << name;
        for (int c = 1; c < 192; ++c)
            ASSERT_TRUE(std::equal(result.spectrogram.begin(),
                                   result.spectrogram.begin() + 160,
                                   result.spectrogram.begin() + c * 160))
                << name << " column " << c;
    }
}

TEST_F(AudioQualityAnalyzerTest, UnreadableFilesThrowTheReadersError)
{
    ASSERT_TRUE(test::TestAudioFiles::writeAll(path("notes.flac"), QByteArray(5000, 'x')));
    for (const QString &file : {path("notes.flac"), path("missing.wav")}) {
        try {
            analyze(file);
            ADD_FAILURE() << file.toStdString();
        } catch (const AnalysisError &error) {
            EXPECT_NE(error.domain(), "Brivello.Quality");
        }
    }
}

TEST_F(AudioQualityAnalyzerTest, SilenceIsInconclusiveEvenInALosslessContainer)
{
    test::lavfi(QStringLiteral("anullsrc=r=44100:cl=stereo"), path("silent.wav"), {"-t", "3"});
    const AudioQualityAnalysis result = analyze(path("silent.wav"), 4096, 140);
    EXPECT_EQ(result.verdict, AudioQualityVerdict::inconclusive);
    EXPECT_EQ(result.channelCount, 2);
    EXPECT_EQ(result.spectrogram, std::vector<uint8_t>(kCells, 36));
}

TEST_F(AudioQualityAnalyzerTest, FullBandNoiseIsLossless)
{
    test::lavfi(QStringLiteral("anoisesrc=color=white:duration=8:sample_rate=48000:amplitude=0.3"),
                path("white.flac"));
    for (const QString &file : {pinkNoise("pink.flac"), path("white.flac")}) {
        const AudioQualityAnalysis result = analyze(file);
        EXPECT_EQ(result.verdict, AudioQualityVerdict::lossless)
            << file.toStdString() << " " << result.cutoffHz;
        EXPECT_GT(result.cutoffHz, 20000);
    }
}

TEST_F(AudioQualityAnalyzerTest, LowPassedAndTranscodedNoiseIsSuspiciousNearItsCutoff)
{
    const QString pink = pinkNoise("pink.wav");
    if (!test::TestAudioFiles::hasProgram(QStringLiteral("sox")))
        GTEST_SKIP() << "sox is not installed";
    ASSERT_TRUE(test::TestAudioFiles::run("sox", {pink, path("lp16.flac"), "sinc", "-16000"}).ok());
    const AudioQualityAnalysis lowPassed = analyze(path("lp16.flac"));
    EXPECT_EQ(lowPassed.verdict, AudioQualityVerdict::suspicious);
    EXPECT_NEAR(lowPassed.cutoffHz, 16000, 400);

    const AudioQualityAnalysis mp3at96 = analyze(throughMp3(pink, "96k"));
    EXPECT_EQ(mp3at96.verdict, AudioQualityVerdict::suspicious);
    EXPECT_NEAR(mp3at96.cutoffHz, 15000, 700);

    EXPECT_EQ(analyze(throughMp3(pink, "320k")).verdict, AudioQualityVerdict::lossless);
    EXPECT_EQ(analyze(path("lossy-96k.mp3")).verdict, AudioQualityVerdict::lossy);
}

TEST_F(AudioQualityAnalyzerTest, ChirpToEightKilohertzIsCutThere)
{
    test::lavfi(QStringLiteral("aevalsrc='0.5*sin(2*PI*(100*t+(7900/16)*t*t))':s=44100:d=8"),
                path("chirp.wav"));
    const AudioQualityAnalysis result = analyze(path("chirp.wav"), 2048);
    EXPECT_EQ(result.verdict, AudioQualityVerdict::suspicious);
    EXPECT_NEAR(result.cutoffHz, 8000, 400);
}

// Files from Windows rips often carry their extension in capitals: it counts as written small.
TEST_F(AudioQualityAnalyzerTest, AnExtensionInCapitalsCountsAsItsLowerCase)
{
    test::lavfi(QStringLiteral("aevalsrc='0.5*sin(2*PI*(100*t+(7900/16)*t*t))':s=44100:d=8"),
                path("CHIRP.WAV"));
    test::ffmpeg({"-i", path("CHIRP.WAV"), path("Chirp.Flac")});
    test::ffmpeg({"-i", path("CHIRP.WAV"), "-c:a", "libmp3lame", "-f", "mp3", path("CHIRP.MP3")});
    for (const char *name : {"CHIRP.WAV", "Chirp.Flac"}) {
        const AudioQualityAnalysis result = analyze(path(QString::fromLatin1(name)), 2048);
        EXPECT_EQ(result.verdict, AudioQualityVerdict::suspicious) << name;
        EXPECT_NEAR(result.cutoffHz, 8000, 400) << name;
    }
    EXPECT_EQ(analyze(path("CHIRP.MP3"), 2048).verdict, AudioQualityVerdict::lossy);
}

TEST_F(AudioQualityAnalyzerTest, CancellationStopsTheAnalysis)
{
    const QString file = pinkNoise("pink.flac");
    std::stop_source stop;
    stop.request_stop();
    EXPECT_THROW(
        AudioQualityAnalyzer::analyze(QUrl::fromLocalFile(file), 4096, 100, stop.get_token()),
        OperationCancelled);
}

} // namespace
