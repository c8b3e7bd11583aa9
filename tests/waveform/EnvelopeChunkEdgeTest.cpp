// Without ffmpeg the file is read in chunks of FileEnvelopeSource::kChunkFrames frames into
// per-point accumulators. A point whose slice spans two chunks must keep what the first chunk
// gave it: a lone click on a chunk's edge is exactly what a DJ looks for in the waveform.
#include "audiofiles/FFmpegExecutable.h"
#include "support/WaitForResult.h"
#include "waveform/AudioProcessor.h"
#include "waveform/FileEnvelopeSource.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>

using namespace brivello;

namespace {

constexpr int kRate = 8000;
constexpr qint64 kFrames = 100000;
constexpr int kPoints = 100; // slices of exactly 1000 frames
constexpr qint64 kSliceFrames = kFrames / kPoints;
constexpr qint16 kLoud = 29491;

// A mono 16-bit PCM WAV holding exactly `samples`.
bool writeWav(const QString &path, const std::vector<qint16> &samples)
{
    const auto le32 = [](QByteArray &out, quint32 v) {
        char bytes[4];
        qToLittleEndian(v, bytes);
        out.append(bytes, 4);
    };
    const auto le16 = [](QByteArray &out, quint16 v) {
        char bytes[2];
        qToLittleEndian(v, bytes);
        out.append(bytes, 2);
    };
    const auto dataBytes = quint32(samples.size() * 2);
    QByteArray wav("RIFF");
    le32(wav, 36 + dataBytes);
    wav.append("WAVEfmt ");
    le32(wav, 16);
    le16(wav, 1); // PCM
    le16(wav, 1); // mono
    le32(wav, kRate);
    le32(wav, kRate * 2);
    le16(wav, 2);
    le16(wav, 16);
    wav.append("data");
    le32(wav, dataBytes);
    for (const qint16 sample : samples)
        le16(wav, quint16(sample));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

class EnvelopeChunkEdgeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // No ffmpeg anywhere: the envelope comes from the in-process reader.
        FFmpegExecutable::setPlacesForTesting(FFmpegExecutable::SearchPlaces{});
    }
    void TearDown() override { FFmpegExecutable::setPlacesForTesting(std::nullopt); }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(EnvelopeChunkEdgeTest, AClickOnEitherEdgeOfAReadChunkStaysInTheSliceSpanningIt)
{
    constexpr qint64 kChunk = FileEnvelopeSource::kChunkFrames;
    // Silence with two lone clicks: on the last frame of the first chunk and on the first
    // frame of the third. Their slices, 32 and 65, each span two chunks. The last fifth is a
    // full-scale square wave, the loud part the envelope is measured against.
    constexpr qint64 kLastOfChunk = kChunk - 1;
    constexpr qint64 kFirstOfChunk = 2 * kChunk;
    const int lastSlice = int(kLastOfChunk / kSliceFrames);
    const int firstSlice = int(kFirstOfChunk / kSliceFrames);
    ASSERT_LT(lastSlice * kSliceFrames, kLastOfChunk - 10);
    ASSERT_GT((firstSlice + 1) * kSliceFrames, kFirstOfChunk + 10);
    std::vector<qint16> samples(size_t(kFrames), 0);
    samples[size_t(kLastOfChunk)] = kLoud;
    samples[size_t(kFirstOfChunk)] = -kLoud;
    const qint64 loudFrom = kFrames * 4 / 5;
    for (qint64 i = loudFrom; i < kFrames; ++i)
        samples[size_t(i)] = i % 2 ? kLoud : qint16(-kLoud);
    const QString file = m_dir.filePath(QStringLiteral("clicks.wav"));
    ASSERT_TRUE(writeWav(file, samples));

    auto task = AudioProcessor::extractEnvelope(QUrl::fromLocalFile(file), kPoints, false);
    const std::vector<float> envelope = test::waitForResult(task);
    ASSERT_EQ(envelope.size(), size_t(kPoints));

    // A click as loud as the loud part: its slice's peak is the reference peak, its RMS that
    // of one loud frame among the slice's frames.
    const float rms = 1.0f / std::sqrt(float(kSliceFrames));
    const float clickSlice =
        std::pow(AudioProcessor::kPeakWeight * 1.0f + AudioProcessor::kRMSWeight * rms,
                 AudioProcessor::kExponent);
    EXPECT_NEAR(envelope[size_t(lastSlice)], clickSlice, 1e-4f)
        << "the click on the last frame of a chunk";
    EXPECT_NEAR(envelope[size_t(firstSlice)], clickSlice, 1e-4f)
        << "the click on the first frame of a chunk";
    for (const int silent : {lastSlice - 1, lastSlice + 1, firstSlice - 1, firstSlice + 1})
        EXPECT_EQ(envelope[size_t(silent)], 0.0f) << silent;
    for (int point = int(loudFrom / kSliceFrames); point < kPoints; ++point)
        EXPECT_NEAR(envelope[size_t(point)], 1.0f, 1e-5f) << point;
}
