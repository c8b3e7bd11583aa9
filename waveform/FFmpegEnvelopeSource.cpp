#include "FFmpegEnvelopeSource.h"

#include "AudioProcessingError.h"
#include "AudioProcessor.h"
#include "audiofiles/AudioPCMDecoder.h"

namespace brivello {

QStringList FFmpegEnvelopeSource::arguments(const QString &path)
{
    // The same command line as the mono decoder's, at 8 kHz and without a duration limit.
    return AudioPCMDecoder::ffmpegArguments(path, kSampleRate, std::nullopt);
}

FFmpegEnvelopeSource::FFmpegEnvelopeSource(const QString &executable,
                                           const QString &path,
                                           int sampleCount,
                                           bool lowImpact)
    : m_child(executable, arguments(path), ChildProcess::ErrorOutput::discard, niceness(lowImpact))
    , m_sampleCount(sampleCount)
{}

bool FFmpegEnvelopeSource::step(std::stop_token stop)
{
    try {
        if (stop.stop_requested())
            throw OperationCancelled();
        const QByteArray chunk = m_child.read(kReadSize, stop);
        if (chunk.isEmpty())
            return false;
        m_samples.append(chunk.constData(), chunk.size());
        m_byteCount += chunk.size();
        return true;
    } catch (...) {
        m_child.kill();
        m_child.wait();
        throw;
    }
}

std::vector<float> FFmpegEnvelopeSource::finish()
{
    if (m_child.wait() != 0)
        throw AudioProcessingError(AudioProcessingError::Kind::decodingFailed);
    if (m_byteCount < 4)
        throw AudioProcessingError(AudioProcessingError::Kind::channelDataMissing);
    return AudioProcessor::normalizedEnvelope(m_samples, m_sampleCount);
}

} // namespace brivello
