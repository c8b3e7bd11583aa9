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
    m_thread = std::jthread([this, source](std::stop_token stop) { run(stop, source); });
    return true;
}

void SilentAudioSink::stop()
{
    if (!m_thread.joinable())
        return;
    m_thread.request_stop();
    {
        std::lock_guard lock(m_mutex);
        m_wake.notify_all();
    }
    m_thread.join();
}

void SilentAudioSink::run(std::stop_token stop, AudioRenderSource *source)
{
    const qint64 period = m_rate / kPeriodsPerSecond;
    std::vector<float> block(static_cast<size_t>(period) * 2);
    const auto begin = std::chrono::steady_clock::now();
    qint64 rendered = 0;
    while (!stop.stop_requested()) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - begin;
        const auto due = static_cast<qint64>(elapsed.count() * m_rate);
        while (rendered < due + kBufferedPeriods * period) {
            source->render(block.data(), period, false);
            rendered += period;
        }
        source->framesPlayed(std::min(due, rendered));
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(lock, stop, kTick, [] { return false; });
    }
}

} // namespace brivello
