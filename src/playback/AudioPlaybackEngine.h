#pragma once

#include "AudioOutputSink.h"
#include "AudioRenderer.h"

#include <QByteArray>
#include <QObject>
#include <functional>
#include <memory>

namespace brivello {

// Plays one audio file at a time: a decoder thread fills a lock-free ring, a sink pulls from
// it on its own thread, and this object, on the main thread, steers both and reports the end
// and failures through queued calls. The clock is the track position of the frames the device
// has actually played, so it never runs ahead of what was heard.
class AudioPlaybackEngine : public QObject
{
    Q_OBJECT
public:
    using SinkFactory = std::function<std::unique_ptr<AudioOutputSink>()>;

    // The default output: the system's sound card, or a silent real-time sink without one.
    explicit AudioPlaybackEngine(QObject *parent = nullptr);
    explicit AudioPlaybackEngine(SinkFactory sinkFactory, QObject *parent = nullptr);
    ~AudioPlaybackEngine() override;

    static std::unique_ptr<AudioOutputSink> defaultSink();

    // Opens a file by its path's bytes, paused at 0. False when it is not playable audio,
    // which leaves nothing open.
    bool open(const QByteArray &nativePath);
    void close();
    bool isOpen() const { return m_stream != nullptr; }

    void play();
    // Pausing while a seek still fades out abandons that seek: playback stays where it was.
    void pause();
    bool isPlaying() const;

    // Clamped to the track. While playing: 12 ms fade out, the jump 14 ms after the call, then
    // 18 ms fade in, all as gain ramps on the samples; while paused the jump is immediate.
    void seek(double seconds);
    // A seek's target is not yet what the device plays.
    bool isSeekPending() const;

    // Seconds: the position the device has played (the target of a pending seek).
    double position() const;
    // The file's stated length until the audio proves it wrong: no shorter than what has been
    // decoded, and the decoded length once the decoder has reached the end. 0 when unknown.
    double duration() const;
    int sampleRate() const;

    // A gain on every sample, 0...1; values outside (or NaN) are clamped (NaN is 0).
    void setVolume(float volume);
    float volume() const { return m_volume; }

    // Diagnostics for tests and benchmarks.
    qint64 bufferedFrames() const;
    qint64 underruns() const;
    qint64 playedFrames() const;
    // The frame at which the device first played audio of the latest seek, if it has.
    std::optional<qint64> seekAudibleFrame() const;

signals:
    // The device has played the last frame of the track; once per track and seek.
    void finished();
    // Decoding failed or the device went away: playback has stopped; no finished() follows.
    void failed();

private:
    struct Stream;

    void handle(AudioRenderer::Event event, quint64 serial, quint64 generation);

    SinkFactory m_sinkFactory;
    std::unique_ptr<Stream> m_stream;
    quint64 m_generation = 0;
    float m_volume = 1.0f;
};

} // namespace brivello
