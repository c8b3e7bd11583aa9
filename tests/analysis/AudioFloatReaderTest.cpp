#include "analysis/AudioFloatReader.h"

#include "AnalysisFixtures.h"
#include "analysis/RealFFT.h"
#include "audiofiles/AudioPCMDecoder.h"

#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace brivello;

namespace {

// The length in frames the reader lays its spread windows over: the header's where it is
// exact, else what one decoding pass counted.
qint64 plannedFrames(AudioFloatReader &reader)
{
    qint64 frames = -1;
    reader.readSpreadWindows(
        [&frames](qint64 length) {
            frames = length;
            return std::vector<qint64>{0};
        },
        1,
        [](int, const float *, int) {});
    return frames;
}

// Sample i holds i / 2^20, so every captured window names its own start.
TEST(AudioFloatReaderTest, WindowsStartOnTheirExactFrames)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ramp.wav"));
    std::vector<float> ramp(200000);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = float(i) / float(1 << 20);
    ASSERT_TRUE(test::writeFloatWav(file, ramp, 44100));

    AudioFloatReader reader(file);
    EXPECT_EQ(plannedFrames(reader), 200000);
    const std::vector<qint64> starts = {0, 3, 3, 4095, 100001, 199000, 199999, 250000};
    std::vector<std::pair<float, int>> seen;
    reader.readWindows(starts, 4096, [&](int, const float *samples, int count) {
        seen.push_back({count > 0 ? samples[0] : -1.0f, count});
        if (count > 0) { // whole runs, not only their first sample
            EXPECT_EQ(samples[count - 1], ramp[size_t(starts[seen.size() - 1] + count - 1)]);
        }
    });
    ASSERT_EQ(seen.size(), starts.size());
    for (size_t i = 0; i + 1 < starts.size(); ++i)
        EXPECT_EQ(seen[i].first, ramp[size_t(starts[i])]) << starts[i];
    EXPECT_EQ(seen[4].second, 4096);
    EXPECT_EQ(seen[5].second, 1000);
    EXPECT_EQ(seen[6].second, 1);
    EXPECT_EQ(seen[7].second, 0);
}

// Sample i holds (i mod 65536 − 32768) / 32768, exact in 16 bits. Windows far apart are
// reached by seeking, and must still start on their exact frames.
TEST(AudioFloatReaderTest, SeekingKeepsWindowsExactInFlacAndAiff)
{
    QTemporaryDir dir;
    std::vector<float> saw(400000);
    for (size_t i = 0; i < saw.size(); ++i)
        saw[i] = (float(i % 65536) - 32768.0f) / 32768.0f;
    ASSERT_TRUE(test::writeFloatWav(dir.filePath(QStringLiteral("saw.wav")), saw, 44100));
    for (const char *name : {"saw.flac", "saw.aiff"}) {
        const QString file = dir.filePath(QString::fromLatin1(name));
        test::ffmpeg({"-i",
                      dir.filePath(QStringLiteral("saw.wav")),
                      "-c:a",
                      QString::fromLatin1(name).endsWith("flac") ? "flac" : "pcm_s16be",
                      "-sample_fmt",
                      "s16",
                      file});
        AudioFloatReader reader(file);
        EXPECT_EQ(plannedFrames(reader), 400000) << name;
        const std::vector<qint64> starts = {0, 7, 150001, 150001, 151000, 333333, 399999};
        size_t seen = 0;
        reader.readWindows(starts, 2048, [&](int index, const float *samples, int count) {
            ++seen;
            const auto start = size_t(starts[size_t(index)]);
            ASSERT_EQ(count, int(std::min<size_t>(2048, saw.size() - start))) << name;
            EXPECT_EQ(samples[0], saw[start]) << name << " at " << start;
            EXPECT_EQ(samples[count - 1], saw[start + size_t(count) - 1])
                << name << " at " << start;
        });
        EXPECT_EQ(seen, starts.size());
    }
}

// MP3 states no exact length, so it is counted; the count matches a full decode.
TEST(AudioFloatReaderTest, CountsFramesWhereTheContainerCannotTell)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tone.mp3"));
    test::lavfi(QStringLiteral("sine=frequency=440:duration=3.3:sample_rate=44100"),
                file,
                {"-ac", "2", "-c:a", "libmp3lame", "-b:a", "128k", "-write_xing", "0"});
    AudioFloatReader reader(file);
    EXPECT_EQ(reader.channelCount(), 2);
    const std::vector<float> decoded =
        AudioPCMDecoder::monoSamplesInProcess(QUrl::fromLocalFile(file), 44100, {});
    EXPECT_EQ(plannedFrames(reader), qint64(decoded.size()));
}

// Plans are shared between threads; each thread's transform of an impulse must stay flat.
TEST(RealFFTTest, ThreadsShareThePlansOfEverySize)
{
    std::vector<std::thread> threads;
    std::atomic<int> wrong = 0;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, &wrong] {
            for (int round = 0; round < 50; ++round) {
                RealFFT fft(256 << ((t + round) % 4));
                if (!fft.isValid()) {
                    ++wrong;
                    continue;
                }
                std::fill(fft.input(), fft.input() + fft.size(), 0.0f);
                fft.input()[0] = 1.0f;
                fft.execute();
                for (int k = 0; k <= fft.size() / 2; ++k)
                    wrong += fft.output()[k] != std::complex<float>(1.0f, 0.0f);
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
