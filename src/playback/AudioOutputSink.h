#pragma once

#include "AudioRenderSource.h"

namespace brivello {

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
