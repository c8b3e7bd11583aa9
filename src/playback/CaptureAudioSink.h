#pragma once

#include "AudioOutputSink.h"

#include <vector>

namespace brivello {

// A sink on a manual clock for tests and benchmarks: nothing happens until advance(), which
// renders on the calling thread (waiting for the decoder rather than taking silence) and
// reports as played what lies a fixed device latency behind. Keeps what it rendered.
class CaptureAudioSink : public AudioOutputSink
{
public:
    explicit CaptureAudioSink(int sampleRate = 44100, qint64 latencyFrames = 0);

    int sampleRate() const override { return m_rate; }
    bool start(AudioRenderSource *source) override;
    void stop() override { m_source = nullptr; }

    // Renders `frames` more in blocks of `blockFrames`; each block is reported as played
    // once the device would have reached it.
    void advance(qint64 frames, qint64 blockFrames = 512);
    // Pretends the device was unplugged.
    void failDevice();

    // Interleaved stereo samples rendered so far (unless keeping is off).
    const std::vector<float> &captured() const { return m_captured; }
    void setKeepsSamples(bool keeps) { m_keeps = keeps; }
    qint64 renderedFrames() const { return m_rendered; }
    qint64 playedFrames() const { return m_rendered > m_latency ? m_rendered - m_latency : 0; }

private:
    const int m_rate;
    const qint64 m_latency;
    AudioRenderSource *m_source = nullptr;
    std::vector<float> m_captured;
    std::vector<float> m_block;
    qint64 m_rendered = 0;
    bool m_keeps = true;
};

} // namespace brivello
