#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace brivello {

class AVFormatInput;
class ByteSource;

// A file's stated bit rate, stored sample size and audio byte count, read with libavformat and
// the container's chunk headers. Stateless and thread-safe.
class AudioTechnicalInfo
{
public:
    struct Details
    {
        double bitRate = 0;             // nominal bits per second; 0 when not stated
        qint64 bitDepth = 0;            // bits per stored sample; 0 for lossy codecs
        quint64 audioDataByteCount = 0; // size of the WAV "data" / AIFF "SSND" samples; else 0
    };

    // Nothing when the file cannot be opened as audio.
    static std::optional<Details> read(const QUrl &url);
    // The same from a file already opened (the metadata loader opens each file once).
    static std::optional<Details> read(const AVFormatInput &input, const QString &path);
    static std::optional<Details> read(const AVFormatInput &input, const ByteSource &file);

    // The audio sample bytes of a RIFF/WAVE or FORM/AIFF(C) file, 0 for other files.
    static quint64 chunkAudioByteCount(const QString &path);
    static quint64 chunkAudioByteCount(const ByteSource &file);
};

} // namespace brivello
