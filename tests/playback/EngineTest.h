#pragma once

#include "playback/AudioPlaybackEngine.h"
#include "playback/CaptureAudioSink.h"

#include <QSignalSpy>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace brivello::test {

// An engine on a capture sink with a manual clock, and fixtures made by ffmpeg in a private
// folder. The sink is recreated on every open; `sink` always points at the current one.
class EngineTest : public ::testing::Test
{
protected:
    static constexpr int kRate = 44100;

    void SetUp() override;

    // A file ffmpeg writes from a lavfi graph; `extra` are output options.
    QString makeFile(const QString &name, const QString &graph, const QStringList &extra = {});
    // ffmpeg's own decoding: `-ss start -i path -f f32le -ac 2 -ar rate`.
    static std::vector<float> ffmpegSamples(const QString &path, double start, int rate);
    bool open(const QString &path);
    // Renders `seconds` in blocks, then delivers the engine's queued reports.
    void advance(double seconds, qint64 block = 512);
    static void deliverReports();
    // Waits (without asserting a time) until the decoder has filled the ring ahead.
    void waitForBuffer();
    qint64 frames(double seconds) const { return std::llround(seconds * m_rate); }
    qint64 capturedFrames() const { return static_cast<qint64>(sink->captured().size() / 2); }

    int m_rate = kRate;
    qint64 m_latency = 0;
    QTemporaryDir m_folder;
    CaptureAudioSink *sink = nullptr;
    std::unique_ptr<AudioPlaybackEngine> engine;
    std::unique_ptr<QSignalSpy> finishedSpy;
    std::unique_ptr<QSignalSpy> failedSpy;
};

} // namespace brivello::test
