#pragma once

#include <QtGlobal>

namespace brivello {

// What a sink pulls its frames from: called on the sink's own thread, never the main thread.
class AudioRenderSource
{
public:
    // Fills `frames` interleaved stereo frames. `waitForData` makes it wait for the decoder
    // instead of rendering silence (sinks on a manual clock, where time does not run).
    virtual void render(float *out, qint64 frames, bool waitForData) = 0;
    // The device has played this many frames since the sink started (its latency included).
    virtual void framesPlayed(qint64 frames) = 0;
    // The device is gone or refused to play.
    virtual void deviceFailed() = 0;

protected:
    ~AudioRenderSource() = default;
};

// An output that pulls interleaved stereo float frames at a fixed rate on a thread of its
// own. Created, started and stopped by the engine on the main thread.
class AudioOutputSink
{
public:
    virtual ~AudioOutputSink() = default;
    virtual int sampleRate() const = 0;
    // Starts pulling from `source`; false when the device cannot start.
    virtual bool start(AudioRenderSource *source) = 0;
    // Returns once no call into the source is running or will follow.
    virtual void stop() = 0;
};

} // namespace brivello
