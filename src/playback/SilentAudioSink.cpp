#include "SilentAudioSink.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace brivello {

namespace {

// A 5 ms period and two periods buffered ahead, as a low-latency desktop device.
constexpr int kPeriodsPerSecond = 200;
constexpr int kBufferedPeriods = 2;
constexpr auto kTick = std::chrono::milliseconds(4);

} // namespace

SilentAudioSink::SilentAudioSink(int sampleRate)
    : m_rate(sampleRate)
{}

SilentAudioSink::~SilentAudioSink()
{
    stop();
}

bool SilentAudioSink::start(AudioRenderSource *source)
{
    stop();
    m_stopping = false;
    m_thread = std::thread([this, source] { run(source); });
    return true;
}

void SilentAudioSink::stop()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void SilentAudioSink::run(AudioRenderSource *source)
{
    const qint64 period = m_rate / kPeriodsPerSecond;
    std::vector<float> block(static_cast<size_t>(period) * 2);
    const auto begin = std::chrono::steady_clock::now();
    qint64 rendered = 0;
    while (true) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - begin;
        const auto due = static_cast<qint64>(elapsed.count() * m_rate);
        while (rendered < due + kBufferedPeriods * period) {
            source->render(block.data(), period, false);
            rendered += period;
        }
        source->framesPlayed(std::min(due, rendered));
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_for(lock, kTick, [this] { return m_stopping; }))
            return;
    }
}

} // namespace brivello
