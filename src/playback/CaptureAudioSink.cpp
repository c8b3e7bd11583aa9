#include "CaptureAudioSink.h"

#include <algorithm>

namespace brivello {

CaptureAudioSink::CaptureAudioSink(int sampleRate, qint64 latencyFrames)
    : m_rate(sampleRate)
    , m_latency(latencyFrames)
{}

bool CaptureAudioSink::start(AudioRenderSource *source)
{
    m_source = source;
    return true;
}

void CaptureAudioSink::advance(qint64 frames, qint64 blockFrames)
{
    while (m_source && frames > 0) {
        const qint64 count = std::min(frames, std::max<qint64>(blockFrames, 1));
        m_block.resize(static_cast<size_t>(count) * 2);
        m_source->render(m_block.data(), count, true);
        if (m_keeps)
            m_captured.insert(m_captured.end(), m_block.begin(), m_block.end());
        m_rendered += count;
        frames -= count;
        m_source->framesPlayed(playedFrames());
    }
}

void CaptureAudioSink::failDevice()
{
    if (m_source)
        m_source->deviceFailed();
}

} // namespace brivello
