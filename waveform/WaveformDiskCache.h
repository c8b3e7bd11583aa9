#pragma once

#include <QString>
#include <QUrl>
#include <optional>
#include <vector>

namespace brivello {

// The disk half of the waveform cache: one file of 4096 little-endian floats per audio file
// and state of that file, named by the SHA-256 of its identity. Stateless; every operation
// touches the file system and runs on a pool thread.
class WaveformDiskCache
{
public:
    static constexpr int kSampleCount = 4096;
    static constexpr int kFormatVersion = 2;
    static constexpr qint64 kFileSize = kSampleCount * 4;
    static constexpr qint64 kDefaultLimitBytes = qint64(128) * 1024 * 1024;

    // "Brivello/Waveforms" under the user's cache folder, or under the temporary folder.
    static QString defaultDirectory();

    // "path|size|mtime|4096|2"; nothing when the file's attributes cannot be read.
    static std::optional<QString> keyText(const QUrl &url);
    // Seconds written as the shortest text that reads back to the same double, with ".0"
    // for whole numbers.
    static QString secondsText(double seconds);
    // Lowercase hexadecimal SHA-256 of the UTF-8 text.
    static QString sha256Hex(const QString &text);
    // The disk file of an audio file in `directory`, or nothing.
    static std::optional<QString> persistentCacheFile(const QUrl &url, const QString &directory);

    // The envelope, when the file holds exactly 4096 floats.
    static std::optional<std::vector<float>> read(const QString &file);
    // An atomic write of exactly 4096 floats (other lengths write nothing), then prunes the
    // folder's oldest files while it holds more than `limitBytes`. Failures are ignored.
    static void save(const std::vector<float> &envelope, const QString &file, qint64 limitBytes);
    // Removes the oldest ".waveform" files, never `keep`, until the rest fit in `limitBytes`.
    static void prune(const QString &directory, qint64 limitBytes, const QString &keep = {});

    // What the cache learns about a file before deciding to extract.
    struct Lookup
    {
        bool readable = false;
        std::optional<QString> file;
        std::optional<std::vector<float>> envelope;
    };
    static Lookup lookUp(const QUrl &url, const QString &directory);
};

} // namespace brivello
