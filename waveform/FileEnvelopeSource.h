#pragma once

#include "EnvelopeSource.h"

#include <QString>
#include <memory>

namespace brivello {

// The in-process fallback: libavcodec decodes the file at its own rate and channel count, in
// chunks of 32,768 frames, into per-point accumulators; nothing else of the audio is kept.
// Lives on pool threads.
class FileEnvelopeSource : public EnvelopeSource
{
public:
    static constexpr int kChunkFrames = 32768;

    // Throws AudioProcessingError(fileUnreadable) when the file cannot be opened as audio and
    // AudioProcessingError(bufferCreationFailed) when the chunk buffer cannot be made. A file
    // that states no length is counted first; `stop` ends that pass with OperationCancelled.
    FileEnvelopeSource(const QString &path, int sampleCount, std::stop_token stop = {});
    ~FileEnvelopeSource() override;

    bool step(std::stop_token stop) override;
    std::vector<float> finish() override;

    qint64 totalFrames() const;

private:
    struct Decoder;
    std::unique_ptr<Decoder> m_decoder;
    int m_sampleCount;
    qint64 m_position = 0;
    qint64 m_total = 1;
    std::vector<double> m_sumOfSquares;
    std::vector<float> m_peaks;
    std::vector<qint64> m_frameCounts;

    void accumulate(const float *const *planes, int channels, qint64 frames);
};

} // namespace brivello
