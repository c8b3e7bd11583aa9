#include "AudioStreamState.h"

namespace brivello {

void AudioStreamState::BoundaryCell::store(const Boundary &value)
{
    const quint64 sequence = m_sequence.load(std::memory_order_relaxed);
    m_sequence.store(sequence + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    m_serial.store(value.serial, std::memory_order_relaxed);
    m_index.store(value.index, std::memory_order_relaxed);
    m_frame.store(value.frame, std::memory_order_relaxed);
    m_failed.store(value.failed, std::memory_order_relaxed);
    m_sequence.store(sequence + 2, std::memory_order_release);
}

AudioStreamState::Boundary AudioStreamState::BoundaryCell::load() const
{
    while (true) {
        const quint64 before = m_sequence.load(std::memory_order_acquire);
        Boundary value;
        value.serial = m_serial.load(std::memory_order_relaxed);
        value.index = m_index.load(std::memory_order_relaxed);
        value.frame = m_frame.load(std::memory_order_relaxed);
        value.failed = m_failed.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if ((before & 1) == 0 && m_sequence.load(std::memory_order_relaxed) == before)
            return value;
    }
}

AudioStreamState::AudioStreamState()
{
    start.store({kFirstSerial, 0, 0, false});
}

quint64 AudioStreamState::request(qint64 targetFrame)
{
    std::lock_guard lock(m_requestMutex);
    m_requestTarget = targetFrame;
    const quint64 serial = m_requestSerial.load(std::memory_order_relaxed) + 1;
    m_requestSerial.store(serial, std::memory_order_release);
    return serial;
}

std::pair<quint64, qint64> AudioStreamState::latestRequest() const
{
    std::lock_guard lock(m_requestMutex);
    return {m_requestSerial.load(std::memory_order_relaxed), m_requestTarget};
}

} // namespace brivello
