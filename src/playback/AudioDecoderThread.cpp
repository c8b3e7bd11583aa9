#include "AudioDecoderThread.h"

namespace brivello {

namespace {

// The ring is full: the renderer frees a quarter of it in well over this time.
constexpr std::chrono::milliseconds kFullWait{10};
// The renderer has not yet stepped past the old data of a seek: it does so within a block.
constexpr std::chrono::milliseconds kStepWait{1};
constexpr std::chrono::milliseconds kIdleWait{50};

} // namespace

AudioDecoderThread::AudioDecoderThread(std::unique_ptr<AudioStreamDecoder> decoder,
                                       AudioRingBuffer &ring,
                                       AudioStreamState &state)
    : m_decoder(std::move(decoder))
    , m_ring(ring)
    , m_state(state)
    , m_thread([this] { run(); })
{}

AudioDecoderThread::~AudioDecoderThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void AudioDecoderThread::wake()
{
    std::lock_guard lock(m_mutex);
    m_wake.notify_all();
}

void AudioDecoderThread::sleep(quint64 serial, std::chrono::milliseconds duration)
{
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(
        lock, duration, [&] { return m_stopping || m_state.requestSerial() != serial; });
}

bool AudioDecoderThread::flush(std::vector<float> &pending, size_t &offset)
{
    const auto frames = static_cast<qint64>(pending.size() / AudioRingBuffer::kChannels);
    const auto done = static_cast<qint64>(offset);
    offset += static_cast<size_t>(m_ring.write(pending.data() + offset * 2, frames - done));
    if (static_cast<qint64>(offset) < frames)
        return false;
    pending.clear();
    offset = 0;
    return true;
}

void AudioDecoderThread::run()
{
    const auto stopping = [this] {
        std::lock_guard lock(m_mutex);
        return m_stopping;
    };
    std::vector<float> pending;
    pending.reserve(65536);
    size_t offset = 0;
    AudioStreamState::Boundary start = m_state.start.load();
    quint64 serial = start.serial;
    bool finished = false;
    bool failed = false;
    bool endMarked = false;
    while (!stopping()) {
        const auto [request, target] = m_state.latestRequest();
        if (request != serial) {
            m_decoder->seek(target);
            pending.clear();
            offset = 0;
            finished = failed = endMarked = false;
            serial = request;
            start = {serial, m_ring.writeIndex(), target, false};
            m_state.start.store(start);
            continue;
        }
        if (!pending.empty() && !flush(pending, offset)) {
            const bool renderBehind = m_ring.readIndex() < m_state.start.load().index;
            sleep(serial, renderBehind ? kStepWait : kFullWait);
            continue;
        }
        if (finished) {
            if (!endMarked)
                m_state.end.store({serial,
                                   m_ring.writeIndex(),
                                   start.frame + m_ring.writeIndex() - start.index,
                                   failed});
            endMarked = true;
            sleep(serial, kIdleWait);
            continue;
        }
        const AudioStreamDecoder::Status status = m_decoder->decode(pending);
        if (status != AudioStreamDecoder::Status::ok) {
            finished = true;
            failed = status == AudioStreamDecoder::Status::failed;
        }
    }
}

} // namespace brivello
