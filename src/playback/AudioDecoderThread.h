#pragma once

#include "AudioRingBuffer.h"
#include "AudioStreamDecoder.h"
#include "AudioStreamState.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace brivello {

// The producer: a thread of its own that decodes ahead into the ring, follows seek requests
// (marking where each one's data starts) and marks the end of the file. Owned by the engine;
// destruction stops and joins it.
class AudioDecoderThread
{
public:
    AudioDecoderThread(std::unique_ptr<AudioStreamDecoder> decoder,
                       AudioRingBuffer &ring,
                       AudioStreamState &state);
    ~AudioDecoderThread();

    // After a request, so the thread need not wait out its sleep.
    void wake();

private:
    void run();
    void sleep(quint64 serial, std::chrono::milliseconds duration);
    bool flush(std::vector<float> &pending, size_t &offset);

    std::unique_ptr<AudioStreamDecoder> m_decoder;
    AudioRingBuffer &m_ring;
    AudioStreamState &m_state;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false; // guarded by m_mutex
    std::thread m_thread;    // last: starts after everything it uses
};

} // namespace brivello
