#include "AudioPullDevice.h"

#include "AudioRenderSource.h"

namespace brivello {

namespace {

constexpr qint64 kFrameBytes = 2 * sizeof(float);
// Always "has data": silence stands in while the decoder is behind, so the device never idles.
constexpr qint64 kAvailable = 1 << 20;

} // namespace

AudioPullDevice::AudioPullDevice(AudioRenderSource *source, QObject *parent)
    : QIODevice(parent)
    , m_source(source)
{}

qint64 AudioPullDevice::bytesAvailable() const
{
    return kAvailable + QIODevice::bytesAvailable();
}

qint64 AudioPullDevice::readData(char *data, qint64 maxSize)
{
    const qint64 frames = maxSize / kFrameBytes;
    if (frames <= 0)
        return 0;
    // QAudioSink hands sample-aligned memory from its own buffer.
    m_source->render(reinterpret_cast<float *>(data), frames, false);
    return frames * kFrameBytes;
}

} // namespace brivello
