#pragma once

#include <QtGlobal>
#include <atomic>
#include <vector>

namespace brivello {

// Lock-free single-producer/single-consumer ring of interleaved stereo float frames. The
// decoder thread writes, the sink's thread reads; indexes count frames since creation, so a
// position in the stream is a plain number both sides can compare.
class AudioRingBuffer
{
public:
    static constexpr int kChannels = 2;

    // Rounded up to a power of two.
    explicit AudioRingBuffer(qint64 capacityFrames);

    qint64 capacity() const { return m_capacity; }

    // --- Producer side.
    qint64 writeIndex() const { return m_write.load(std::memory_order_relaxed); }
    qint64 writable() const;
    // Writes as many frames as fit; returns that count.
    qint64 write(const float *frames, qint64 count);

    // --- Consumer side.
    qint64 readIndex() const { return m_read.load(std::memory_order_relaxed); }
    // Frames written and not yet read.
    qint64 readable() const;
    qint64 read(float *frames, qint64 count);
    // Drops everything before `index`, which must not be past the write index.
    void skipTo(qint64 index);

private:
    void copyIn(qint64 at, const float *frames, qint64 count);
    void copyOut(qint64 at, float *frames, qint64 count) const;

    qint64 m_capacity;
    qint64 m_mask;
    std::vector<float> m_samples;
    alignas(64) std::atomic<qint64> m_write{0};
    alignas(64) std::atomic<qint64> m_read{0};
};

} // namespace brivello
