#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <stop_token>
#include <vector>

namespace brivello {

class AVFormatInput;

// Reads the first audio stream of a file as 32-bit float frames mixed to mono (the channels
// summed in order, then divided by their count), decoding in order with libavcodec on the
// calling thread. Positions are sample-accurate: far gaps are skipped by seeking only in
// FLAC, WAV and AIFF, where decoded frames carry exact timestamps.
class AudioFloatReader
{
public:
    // Throws AnalysisError when the file cannot be opened or holds no decodable audio stream.
    explicit AudioFloatReader(const QString &path);
    ~AudioFloatReader();
    AudioFloatReader(const AudioFloatReader &) = delete;
    AudioFloatReader &operator=(const AudioFloatReader &) = delete;

    double sampleRate() const { return m_sampleRate; }
    int channelCount() const { return m_channelCount; }

    using WindowSink = std::function<void(int index, const float *samples, int count)>;
    // For each start (non-decreasing) in order, hands `sink` up to `length` mono frames from
    // that frame on: fewer at the end of the audio, none past it. Decodes forward from the
    // beginning (seeking across far gaps where exact), holding about `length` frames at a time.
    // Checks `stop` before every window and while decoding; throws OperationCancelled or
    // AnalysisError.
    void readWindows(const std::vector<qint64> &starts,
                     int length,
                     const WindowSink &sink,
                     std::stop_token stop = {});

    // Windows of `length` frames at the starts `startsFor` gives for the audio's length in
    // frames, in order, decoding the file once: where the header states the length exactly
    // by readWindows(), otherwise in one pass that keeps an evenly spread set of windows and
    // hands over the nearest kept window to each start once the length is known. Throws
    // OperationCancelled or AnalysisError.
    void readSpreadWindows(const std::function<std::vector<qint64>(qint64 frames)> &startsFor,
                           int length,
                           const WindowSink &sink,
                           std::stop_token stop = {});

private:
    class Decoder;
    std::unique_ptr<Decoder> openDecoder() const;

    QString m_path;
    double m_sampleRate = 0;
    int m_channelCount = 0;
    qint64 m_headerFrames = -1;
    bool m_seekable = false;
    std::unique_ptr<Decoder> m_fresh; // opened but not yet read from
};

} // namespace brivello
