#include "AudioRingBuffer.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace brivello {

AudioRingBuffer::AudioRingBuffer(qint64 capacityFrames)
    : m_capacity(static_cast<qint64>(
          std::bit_ceil(static_cast<quint64>(std::max<qint64>(capacityFrames, 2)))))
    , m_mask(m_capacity - 1)
    , m_samples(static_cast<size_t>(m_capacity * kChannels))
{}

qint64 AudioRingBuffer::writable() const
{
    return m_capacity - (writeIndex() - m_read.load(std::memory_order_acquire));
}

qint64 AudioRingBuffer::write(const float *frames, qint64 count)
{
    const qint64 at = writeIndex();
    const qint64 n = std::min(count, writable());
    if (n <= 0)
        return 0;
    copyIn(at, frames, n);
    m_write.store(at + n, std::memory_order_release);
    return n;
}

qint64 AudioRingBuffer::readable() const
{
    return m_write.load(std::memory_order_acquire) - readIndex();
}

qint64 AudioRingBuffer::read(float *frames, qint64 count)
{
    const qint64 at = readIndex();
    const qint64 n = std::min(count, readable());
    if (n <= 0)
        return 0;
    copyOut(at, frames, n);
    m_read.store(at + n, std::memory_order_release);
    return n;
}

void AudioRingBuffer::skipTo(qint64 index)
{
    const qint64 limit = m_write.load(std::memory_order_acquire);
    m_read.store(std::clamp(index, readIndex(), limit), std::memory_order_release);
}

void AudioRingBuffer::copyIn(qint64 at, const float *frames, qint64 count)
{
    const qint64 start = at & m_mask;
    const qint64 first = std::min(count, m_capacity - start);
    std::memcpy(&m_samples[static_cast<size_t>(start * kChannels)],
                frames,
                static_cast<size_t>(first * kChannels) * sizeof(float));
    if (count > first)
        std::memcpy(m_samples.data(),
                    frames + first * kChannels,
                    static_cast<size_t>((count - first) * kChannels) * sizeof(float));
}

void AudioRingBuffer::copyOut(qint64 at, float *frames, qint64 count) const
{
    const qint64 start = at & m_mask;
    const qint64 first = std::min(count, m_capacity - start);
    std::memcpy(frames,
                &m_samples[static_cast<size_t>(start * kChannels)],
                static_cast<size_t>(first * kChannels) * sizeof(float));
    if (count > first)
        std::memcpy(frames + first * kChannels,
                    m_samples.data(),
                    static_cast<size_t>((count - first) * kChannels) * sizeof(float));
}

} // namespace brivello
