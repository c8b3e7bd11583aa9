#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QUrl>
#include <array>
#include <optional>

namespace brivello {

class ByteSource;

// Reads the bit rate announced by the first valid MPEG audio frame header near the start of an
// ".mp3" file. Stateless and thread-safe.
class MP3Header
{
public:
    using Table = std::array<int, 16>; // kbit/s by the header's 4-bit bit-rate index

    // ISO/IEC 11172-3.
    static constexpr Table kMPEG1LayerI = {
        0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0};
    static constexpr Table kMPEG1LayerII = {
        0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0};
    static constexpr Table kMPEG1LayerIII = {
        0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    // ISO/IEC 13818-3, shared by MPEG-2 and MPEG-2.5.
    static constexpr Table kMPEG2LayerI = {
        0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0};
    static constexpr Table kMPEG2LayerIIAndIII = {
        0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};

    static constexpr qint64 kWindowSize = 131072;

    // The fields of a frame header whose sync, version, layer and bit-rate index are valid.
    struct Frame
    {
        int version;         // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
        int layer;           // 3 layer I, 2 layer II, 1 layer III
        int bitRateIndex;    // 1 … 14
        int sampleRateIndex; // 3 is reserved, but the bit-rate scan does not look at it
        double bitRate() const;
    };
    // The header at `at`, when four bytes are there and they hold one.
    static std::optional<Frame> frame(QByteArrayView bytes, qsizetype at);

    // Bits per second, or nothing for a non-".mp3" name, an unreadable file or no header.
    static std::optional<double> bitRate(const QUrl &url);
    // The same over the file at `url`, already open.
    static std::optional<double> bitRate(const QUrl &url, const ByteSource &file);
    // The same scan over bytes already read from the start of a file.
    static std::optional<double> bitRate(const QByteArray &window);
};

} // namespace brivello
