#pragma once

#include "AudioOutputSink.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QThread>
#include <memory>

class QAudioSink;
class QTimer;

namespace brivello {

class AudioPullDevice;

// The sound card: a QAudioSink in pull mode on a thread of its own with its own event loop,
// so a busy main thread never starves the device. A timer on that thread reports the frames
// the device has played (QAudioSink's processed time, which excludes what still sits in the
// device's buffer).
class QtAudioOutputSink : public AudioOutputSink
{
public:
    explicit QtAudioOutputSink(const QAudioDevice &device);
    ~QtAudioOutputSink() override;

    int sampleRate() const override { return m_format.sampleRate(); }
    bool start(AudioRenderSource *source) override;
    void stop() override;

private:
    void startOnThread(AudioRenderSource *source, bool *started);
    void stopOnThread();

    QAudioDevice m_device;
    QAudioFormat m_format;
    QThread m_thread;
    std::unique_ptr<QObject> m_context; // lives on m_thread; calls run in its event loop
    // Created, used and deleted on m_thread only.
    QAudioSink *m_sink = nullptr;
    AudioPullDevice *m_pull = nullptr;
    QTimer *m_clock = nullptr;
};

} // namespace brivello
