#pragma once

#include <QtGlobal>
#include <atomic>
#include <mutex>

namespace brivello {

// What the main thread, the decoder thread and the sink's thread share about one open file.
// Seeks are numbered: a serial names a request, and the decoder marks where the ring's data
// for each serial starts and where the file ends, so the renderer never mixes old and new.
class AudioStreamState
{
public:
    // Where the data of a serial lies in the ring: its first frame's ring index and track
    // frame (start), or the ring index and track frame after its last frame (end, `failed`
    // when the decoder stopped on an error).
    struct Boundary
    {
        quint64 serial = 0;
        qint64 index = 0;
        qint64 frame = 0;
        bool failed = false;
    };

    // A seqlock: one writer, readers retry while it writes; never blocks the reader.
    class BoundaryCell
    {
    public:
        void store(const Boundary &value);
        Boundary load() const;

    private:
        std::atomic<quint64> m_sequence{0};
        std::atomic<quint64> m_serial{0};
        std::atomic<qint64> m_index{0};
        std::atomic<qint64> m_frame{0};
        std::atomic<bool> m_failed{false};
    };

    // The opening position is a request too: its data starts the ring at track frame 0.
    static constexpr quint64 kFirstSerial = 1;

    AudioStreamState();

    // --- Main thread writes, the others read.
    // Returns the new serial.
    quint64 request(qint64 targetFrame);
    // The latest request, read consistently (decoder thread).
    std::pair<quint64, qint64> latestRequest() const;
    quint64 requestSerial() const { return m_requestSerial.load(std::memory_order_acquire); }

    std::atomic<bool> playing{false};
    std::atomic<float> volume{1.0f};
    std::atomic<bool> stopping{false};

    // --- Decoder thread writes, the renderer reads.
    BoundaryCell start;
    BoundaryCell end;

private:
    mutable std::mutex m_requestMutex;
    qint64 m_requestTarget = 0;
    std::atomic<quint64> m_requestSerial{kFirstSerial};
};

} // namespace brivello
