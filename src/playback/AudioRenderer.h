#pragma once

#include "AudioOutputSink.h"
#include "AudioRingBuffer.h"
#include "AudioStreamState.h"
#include "AudioTimeline.h"

#include <atomic>
#include <functional>

namespace brivello {

// The sink-thread half of the engine: reads the ring, plays the seek as gain ramps (fade out,
// step, fade in), applies the volume per sample, records which track frame went out when,
// and notices the moment the device has played the last frame. Never blocks or allocates
// while it renders (except for waitForData, which only manual-clock sinks ask for).
class AudioRenderer : public AudioRenderSource
{
public:
    enum class Event { finished, decodeFailed, deviceFailed };
    // Called on the sink's thread; the engine forwards it to the main thread.
    using Reporter = std::function<void(Event, quint64 serial)>;

    static constexpr double kFadeOutSeconds = 0.012;
    static constexpr double kStepSeconds = 0.014;
    static constexpr double kFadeInSeconds = 0.018;

    AudioRenderer(AudioRingBuffer &ring,
                  AudioStreamState &state,
                  AudioTimeline &timeline,
                  int sampleRate,
                  Reporter reporter);

    void render(float *out, qint64 frames, bool waitForData) override;
    void framesPlayed(qint64 frames) override;
    void deviceFailed() override;

    // --- Any thread.
    qint64 playedFrames() const { return m_played.load(std::memory_order_acquire); }
    // The serial whose data is being rendered: behind the request while a seek is pending.
    quint64 renderedSerial() const { return m_renderedSerial.load(std::memory_order_acquire); }
    qint64 underruns() const { return m_underruns.load(std::memory_order_relaxed); }

private:
    enum class Phase { playing, fadingOut, stepping };

    void noticeRequest();
    bool step(bool waitForData);
    qint64 renderAudio(float *out, qint64 frames, bool waitForData);
    qint64 available(bool &atEnd) const;
    void renderSilence(float *out, qint64 frames);
    void applyRamp(float *out, qint64 frames);
    void startRamp(float to, double seconds);
    void applyVolume(float *out, qint64 frames);
    void noteEnd(bool failed);

    AudioRingBuffer &m_ring;
    AudioStreamState &m_state;
    AudioTimeline &m_timeline;
    const int m_rate;
    const Reporter m_reporter;

    // --- The sink's thread only.
    Phase m_phase = Phase::playing;
    qint64 m_output = 0; // frames rendered so far
    qint64 m_track = 0;  // track frame of the next frame read from the ring
    quint64 m_serial;    // serial of the data being read
    quint64 m_seen;      // newest request noticed
    qint64 m_stepIn = 0; // frames left before the step
    float m_gain = 1.0f;
    float m_rampFrom = 1.0f;
    float m_rampTo = 1.0f;
    qint64 m_rampLength = 0;
    qint64 m_rampDone = 0;
    float m_volume;
    bool m_starved = true; // no audio yet: the first shortage is the start, not an underrun
    bool m_endNoted = false;
    bool m_endFailed = false;
    quint64 m_endSerial = 0;
    qint64 m_endOutput = 0;
    bool m_endReported = false;

    std::atomic<qint64> m_played{0};
    std::atomic<quint64> m_renderedSerial{0};
    std::atomic<qint64> m_underruns{0};
};

} // namespace brivello
