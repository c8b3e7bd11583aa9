#pragma once

#include "AudioOutputSink.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace brivello {

// A sink for machines without an audio device: a thread of its own renders and discards
// frames at the pace of the real-time clock, keeping a short buffer ahead like a device,
// so the engine behaves exactly as with a sound card.
class SilentAudioSink : public AudioOutputSink
{
public:
    explicit SilentAudioSink(int sampleRate = 48000);
    ~SilentAudioSink() override;

    int sampleRate() const override { return m_rate; }
    bool start(AudioRenderSource *source) override;
    void stop() override;

private:
    void run(AudioRenderSource *source);

    const int m_rate;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false; // guarded by m_mutex
    std::thread m_thread;
};

} // namespace brivello
