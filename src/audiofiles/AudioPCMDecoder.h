#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <vector>

namespace brivello {

// Decodes an audio file to mono 32-bit float samples at a chosen rate: ffmpeg in a child
// process, or libavcodec + libswresample in process when ffmpeg runs but fails. Blocks the
// calling thread (a pool thread); the child is killed and reaped when the stop token fires.
class AudioPCMDecoder
{
public:
    enum class DecoderError { ffmpegUnavailable, decodingFailed, emptyAudio };

    class Error : public std::exception
    {
    public:
        explicit Error(DecoderError kind)
            : m_kind(kind)
        {}
        DecoderError kind() const { return m_kind; }
        QString errorDescription() const;
        const char *what() const noexcept override { return "audio decoding failed"; }

    private:
        DecoderError m_kind;
    };

    static constexpr qsizetype kReadChunkSize = 262144;

    // Throws Error, ProcessLaunchError or OperationCancelled. A missing, zero or negative
    // `maximumDuration` decodes the whole file.
    static std::vector<float> monoSamples(const QUrl &url,
                                          int sampleRate,
                                          std::optional<double> maximumDuration,
                                          bool lowImpact,
                                          std::stop_token stop = {});

    // The ffmpeg argument list for a file.
    static QStringList
    ffmpegArguments(const QString &path, int sampleRate, std::optional<double> maximumDuration);

    // The in-process decoder alone. Throws Error(decodingFailed).
    static std::vector<float>
    monoSamplesInProcess(const QUrl &url, int sampleRate, std::optional<double> maximumDuration);
};

} // namespace brivello
