#include "AudioRenderer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace brivello {

namespace {

constexpr int kChannels = AudioRingBuffer::kChannels;
// How long a manual-clock sink waits for the decoder before it takes silence.
constexpr auto kWaitLimit = std::chrono::seconds(5);

template <typename Ready> bool waitFor(Ready ready)
{
    const auto deadline = std::chrono::steady_clock::now() + kWaitLimit;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return true;
}

} // namespace

AudioRenderer::AudioRenderer(AudioRingBuffer &ring,
                             AudioStreamState &state,
                             AudioTimeline &timeline,
                             int sampleRate,
                             Reporter reporter)
    : m_ring(ring)
    , m_state(state)
    , m_timeline(timeline)
    , m_rate(sampleRate)
    , m_reporter(std::move(reporter))
    , m_serial(state.start.load().serial)
    , m_seen(m_serial)
    , m_volume(state.volume.load())
{
    m_renderedSerial.store(m_serial);
}

void AudioRenderer::render(float *out, qint64 frames, bool waitForData)
{
    noticeRequest();
    qint64 done = 0;
    while (done < frames) {
        float *target = out + done * kChannels;
        const qint64 left = frames - done;
        if (m_phase == Phase::stepping) {
            if (step(waitForData))
                continue;
            renderSilence(target, left);
            break;
        }
        if (!m_state.playing.load(std::memory_order_acquire)) {
            renderSilence(target, left);
            break;
        }
        if (m_phase == Phase::fadingOut) {
            const qint64 want = std::min(left, m_stepIn);
            const qint64 got = renderAudio(target, want, waitForData);
            renderSilence(target + got * kChannels, want - got);
            m_stepIn -= want;
            done += want;
            if (m_stepIn == 0)
                m_phase = Phase::stepping;
            continue;
        }
        const qint64 got = renderAudio(target, left, waitForData);
        if (got < left) {
            if (!m_endNoted && !m_starved)
                m_underruns.fetch_add(1, std::memory_order_relaxed);
            m_starved = true;
            renderSilence(target + got * kChannels, left - got);
            break;
        }
        m_starved = false;
        done += got;
    }
    applyVolume(out, frames);
    m_timeline.publish(playedFrames());
}

void AudioRenderer::framesPlayed(qint64 frames)
{
    m_played.store(frames, std::memory_order_release);
    m_timeline.publish(frames);
    // The end counts only while no newer seek has been asked for.
    if (m_endNoted && !m_endReported && frames >= m_endOutput &&
        m_endSerial == m_state.requestSerial()) {
        m_endReported = true;
        m_reporter(m_endFailed ? Event::decodeFailed : Event::finished, m_endSerial);
    }
}

void AudioRenderer::deviceFailed()
{
    m_reporter(Event::deviceFailed, m_state.requestSerial());
}

void AudioRenderer::noticeRequest()
{
    const quint64 request = m_state.requestSerial();
    if (request == m_seen || request <= m_serial)
        return;
    m_seen = request;
    if (m_state.playing.load(std::memory_order_acquire)) {
        // A newer seek during a fade restarts the wait and fades on from the present gain.
        m_phase = Phase::fadingOut;
        m_stepIn = std::llround(kStepSeconds * m_rate);
        startRamp(0.0f, kFadeOutSeconds);
    } else {
        m_phase = Phase::stepping;
    }
}

bool AudioRenderer::step(bool waitForData)
{
    AudioStreamState::Boundary start = m_state.start.load();
    if (start.serial < m_seen) {
        const auto acknowledged = [&] {
            start = m_state.start.load();
            return start.serial >= m_seen;
        };
        if (!waitForData || !waitFor(acknowledged))
            return false;
    }
    m_ring.skipTo(start.index);
    m_serial = start.serial;
    m_seen = std::max(m_seen, start.serial);
    m_track = start.frame;
    m_endNoted = false;
    m_starved = true;
    if (m_state.playing.load(std::memory_order_acquire)) {
        m_gain = 0.0f;
        startRamp(1.0f, kFadeInSeconds);
    } else {
        m_gain = 1.0f;
        m_rampLength = 0;
    }
    m_phase = Phase::playing;
    m_renderedSerial.store(m_serial, std::memory_order_release);
    return true;
}

qint64 AudioRenderer::available(bool &final) const
{
    const qint64 readIndex = m_ring.readIndex();
    qint64 limit = m_ring.readable();
    final = false;
    // Data past a newer seek's start belongs to that seek; data past the end does not exist.
    const AudioStreamState::Boundary start = m_state.start.load();
    if (start.serial > m_serial) {
        limit = std::min(limit, start.index - readIndex);
        final = true;
    }
    const AudioStreamState::Boundary end = m_state.end.load();
    if (end.serial == m_serial) {
        limit = std::min(limit, end.index - readIndex);
        final = true;
    }
    return std::max<qint64>(limit, 0);
}

qint64 AudioRenderer::renderAudio(float *out, qint64 frames, bool waitForData)
{
    bool final = false;
    qint64 ready = available(final);
    if (waitForData && ready < frames && !final)
        waitFor([&] {
            ready = available(final);
            return ready >= frames || final;
        });
    const qint64 got = m_ring.read(out, std::min(ready, frames));
    if (got > 0) {
        applyRamp(out, got);
        m_timeline.append({m_output, m_track, got, true, m_serial});
        m_track += got;
        m_output += got;
    }
    const AudioStreamState::Boundary end = m_state.end.load();
    if (end.serial == m_serial && m_ring.readIndex() >= end.index)
        noteEnd(end.failed);
    return got;
}

void AudioRenderer::renderSilence(float *out, qint64 frames)
{
    if (frames <= 0)
        return;
    std::fill(out, out + frames * kChannels, 0.0f);
    m_timeline.append({m_output, m_track, frames, false, m_serial});
    m_output += frames;
}

void AudioRenderer::startRamp(float to, double seconds)
{
    m_rampFrom = m_gain;
    m_rampTo = to;
    m_rampLength = std::max<qint64>(1, std::llround(seconds * m_rate));
    m_rampDone = 0;
}

void AudioRenderer::applyRamp(float *out, qint64 frames)
{
    for (qint64 i = 0; i < frames; ++i) {
        if (m_rampDone < m_rampLength) {
            ++m_rampDone;
            m_gain = m_rampFrom + (m_rampTo - m_rampFrom) * static_cast<float>(m_rampDone) /
                                      static_cast<float>(m_rampLength);
        }
        if (m_gain != 1.0f) {
            out[i * kChannels] *= m_gain;
            out[i * kChannels + 1] *= m_gain;
        }
    }
}

void AudioRenderer::applyVolume(float *out, qint64 frames)
{
    const float target = m_state.volume.load(std::memory_order_relaxed);
    if (target == 1.0f && m_volume == 1.0f)
        return;
    // A change glides over one block instead of jumping, which would click.
    const float from = m_volume;
    for (qint64 i = 0; i < frames; ++i) {
        const float gain = from + (target - from) * static_cast<float>(i + 1) / frames;
        out[i * kChannels] *= gain;
        out[i * kChannels + 1] *= gain;
    }
    m_volume = target;
}

void AudioRenderer::noteEnd(bool failed)
{
    if (m_endNoted)
        return;
    m_endNoted = true;
    m_endFailed = failed;
    m_endSerial = m_serial;
    m_endOutput = m_output;
    m_endReported = false;
}

} // namespace brivello
