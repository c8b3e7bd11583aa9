#include "AudioPlaybackEngine.h"

#include "AudioDecoderThread.h"
#include "AudioRingBuffer.h"
#include "AudioStreamDecoder.h"
#include "AudioStreamState.h"
#include "AudioTimeline.h"
#include "QtAudioOutputSink.h"
#include "SilentAudioSink.h"

#include <QMediaDevices>
#include <cmath>

namespace brivello {

namespace {

// Half a second decoded ahead: ample for a stalled disk, small enough to seek in at once.
constexpr double kRingSeconds = 0.5;
// Where a file states no duration, seeks stop here (a week) rather than overflow a frame count.
constexpr double kUnknownDurationLimit = 7 * 24 * 3600.0;

} // namespace

struct AudioPlaybackEngine::Stream
{
    Stream(int sampleRate, double seconds, quint64 number)
        : ring(static_cast<qint64>(sampleRate * kRingSeconds))
        , rate(sampleRate)
        , duration(seconds)
        , generation(number)
    {}
    ~Stream()
    {
        if (sink)
            sink->stop();
    }

    // Destroyed bottom-up: the sink stops pulling before the decoder and the ring go.
    AudioStreamState state;
    AudioRingBuffer ring;
    AudioTimeline timeline;
    std::unique_ptr<AudioRenderer> renderer;
    std::unique_ptr<AudioDecoderThread> decoder;
    std::unique_ptr<AudioOutputSink> sink;
    const int rate;
    const double duration;
    const quint64 generation;
    // The track frame after the last decoded one, once the decoder has reached the end.
    mutable qint64 decodedEnd = -1;
    qint64 target = 0;
    bool seekFades = false; // the latest seek was asked for while playing
    bool stopped = false;   // an end or failure was reported
};

AudioPlaybackEngine::AudioPlaybackEngine(QObject *parent)
    : AudioPlaybackEngine(&AudioPlaybackEngine::defaultSink, parent)
{}

AudioPlaybackEngine::AudioPlaybackEngine(SinkFactory sinkFactory, QObject *parent)
    : QObject(parent)
    , m_sinkFactory(std::move(sinkFactory))
{}

AudioPlaybackEngine::~AudioPlaybackEngine()
{
    close();
}

std::unique_ptr<AudioOutputSink> AudioPlaybackEngine::defaultSink()
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return std::make_unique<SilentAudioSink>();
    return std::make_unique<QtAudioOutputSink>(device);
}

bool AudioPlaybackEngine::open(const QByteArray &nativePath)
{
    close();
    std::unique_ptr<AudioOutputSink> sink = m_sinkFactory();
    if (!sink || sink->sampleRate() <= 0)
        return false;
    std::unique_ptr<AudioStreamDecoder> decoder =
        AudioStreamDecoder::open(nativePath, sink->sampleRate());
    if (!decoder)
        return false;

    auto stream = std::make_unique<Stream>(sink->sampleRate(), decoder->duration(), ++m_generation);
    stream->state.volume.store(m_volume);
    const quint64 generation = stream->generation;
    // Runs on the sink's thread; the engine outlives every call, since closing stops the sink.
    auto reporter = [this, generation](AudioRenderer::Event event, quint64 serial) {
        QMetaObject::invokeMethod(
            this, [=, this] { handle(event, serial, generation); }, Qt::QueuedConnection);
    };
    stream->renderer = std::make_unique<AudioRenderer>(
        stream->ring, stream->state, stream->timeline, stream->rate, reporter);
    stream->decoder =
        std::make_unique<AudioDecoderThread>(std::move(decoder), stream->ring, stream->state);
    if (!sink->start(stream->renderer.get())) {
        // A device that refuses to start plays like none at all.
        sink = std::make_unique<SilentAudioSink>(stream->rate);
        sink->start(stream->renderer.get());
    }
    stream->sink = std::move(sink);
    m_stream = std::move(stream);
    return true;
}

void AudioPlaybackEngine::close()
{
    m_stream.reset();
}

void AudioPlaybackEngine::play()
{
    if (m_stream)
        m_stream->state.playing.store(true, std::memory_order_release);
}

void AudioPlaybackEngine::pause()
{
    if (!m_stream || !isPlaying())
        return;
    Stream &s = *m_stream;
    s.state.playing.store(false, std::memory_order_release);
    const quint64 rendered = s.renderer->renderedSerial();
    if (s.seekFades && rendered != s.state.requestSerial()) {
        // The seek has not jumped yet: go back to what is heard, silently, since paused.
        const qint64 heard =
            s.timeline.trackFrameAt(s.renderer->playedFrames(), rendered).value_or(s.target);
        s.target = heard;
        s.seekFades = false;
        s.state.request(heard);
        s.decoder->wake();
    }
}

bool AudioPlaybackEngine::isPlaying() const
{
    return m_stream && m_stream->state.playing.load(std::memory_order_acquire);
}

void AudioPlaybackEngine::seek(double seconds)
{
    if (!m_stream)
        return;
    Stream &s = *m_stream;
    const double limit = s.duration > 0 ? duration() : kUnknownDurationLimit;
    const double clamped = std::isnan(seconds) ? 0.0 : std::clamp(seconds, 0.0, limit);
    s.target = std::llround(clamped * s.rate);
    s.seekFades = isPlaying();
    s.stopped = false;
    s.state.request(s.target);
    s.decoder->wake();
}

bool AudioPlaybackEngine::isSeekPending() const
{
    if (!m_stream)
        return false;
    const quint64 serial = m_stream->state.requestSerial();
    if (serial == AudioStreamState::kFirstSerial)
        return false;
    const std::optional<qint64> first = m_stream->timeline.firstFrame(serial);
    return !first || m_stream->renderer->playedFrames() < *first;
}

double AudioPlaybackEngine::position() const
{
    if (!m_stream)
        return 0;
    const Stream &s = *m_stream;
    const qint64 frame =
        s.timeline.trackFrameAt(s.renderer->playedFrames(), s.state.requestSerial())
            .value_or(s.target);
    const double seconds = static_cast<double>(frame) / s.rate;
    return s.duration > 0 ? std::min(seconds, duration()) : seconds;
}

double AudioPlaybackEngine::duration() const
{
    if (!m_stream)
        return 0;
    const Stream &s = *m_stream;
    // Without a stated length seeks stay off; the audio alone does not make one.
    if (!(s.duration > 0))
        return s.duration;
    const AudioStreamState::Boundary start = s.state.start.load();
    const AudioStreamState::Boundary end = s.state.end.load();
    if (end.serial == start.serial && !end.failed && end.index > start.index)
        s.decodedEnd = end.frame;
    if (s.decodedEnd > 0)
        return static_cast<double>(s.decodedEnd) / s.rate;
    // Containers state lengths the audio does not keep to (priming, edit lists, a cut file):
    // the track is at least as long as what has been decoded.
    double decoded = 0;
    if (start.serial == s.state.requestSerial())
        decoded = static_cast<double>(start.frame + s.ring.writeIndex() - start.index) / s.rate;
    return std::max(s.duration, decoded);
}

int AudioPlaybackEngine::sampleRate() const
{
    return m_stream ? m_stream->rate : 0;
}

void AudioPlaybackEngine::setVolume(float volume)
{
    m_volume = std::isnan(volume) ? 0.0f : std::clamp(volume, 0.0f, 1.0f);
    if (m_stream)
        m_stream->state.volume.store(m_volume, std::memory_order_relaxed);
}

qint64 AudioPlaybackEngine::bufferedFrames() const
{
    return m_stream ? m_stream->ring.writeIndex() - m_stream->ring.readIndex() : 0;
}

qint64 AudioPlaybackEngine::underruns() const
{
    return m_stream ? m_stream->renderer->underruns() : 0;
}

qint64 AudioPlaybackEngine::playedFrames() const
{
    return m_stream ? m_stream->renderer->playedFrames() : 0;
}

std::optional<qint64> AudioPlaybackEngine::seekAudibleFrame() const
{
    if (!m_stream)
        return std::nullopt;
    return m_stream->timeline.firstAudioFrame(m_stream->state.requestSerial());
}

void AudioPlaybackEngine::handle(AudioRenderer::Event event, quint64 serial, quint64 generation)
{
    if (!m_stream || generation != m_stream->generation || m_stream->stopped)
        return;
    Stream &s = *m_stream;
    // An end or decode failure found before a newer seek belongs to the old position.
    if (event != AudioRenderer::Event::deviceFailed && serial != s.state.requestSerial())
        return;
    s.stopped = true;
    s.state.playing.store(false, std::memory_order_release);
    if (event == AudioRenderer::Event::finished)
        emit finished();
    else
        emit failed();
}

} // namespace brivello
