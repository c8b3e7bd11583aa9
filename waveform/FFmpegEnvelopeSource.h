#pragma once

#include "EnvelopeSource.h"
#include "SampleBlocks.h"
#include "audiofiles/ChildProcess.h"

#include <QString>

namespace brivello {

// ffmpeg decoding a file to 8 kHz mono float on its standard output, read in 256 KiB chunks.
// Lives on pool threads; its destruction kills and reaps a child that still runs.
class FFmpegEnvelopeSource : public EnvelopeSource
{
public:
    static constexpr int kSampleRate = 8000;
    static constexpr qsizetype kReadSize = 262144;

    // Starts the child; throws ProcessLaunchError.
    FFmpegEnvelopeSource(const QString &executable,
                         const QString &path,
                         int sampleCount,
                         bool lowImpact);

    bool step(std::stop_token stop) override;
    // Throws AudioProcessingError: decodingFailed for a non-zero exit, channelDataMissing for
    // under 4 bytes.
    std::vector<float> finish() override;

    static QStringList arguments(const QString &path);
    // The child's nice value: background (19) for low-impact requests, utility (10) otherwise.
    static int niceness(bool lowImpact) { return lowImpact ? 19 : 10; }

private:
    ChildProcess m_child;
    SampleBlocks m_samples;
    int m_sampleCount;
    qint64 m_byteCount = 0;
};

} // namespace brivello
