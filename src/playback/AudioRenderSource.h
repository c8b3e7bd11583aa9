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

} // namespace brivello
