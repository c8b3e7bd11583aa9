#include "MP3Header.h"

#include "FileByteSource.h"
#include "WriteError.h"
#include "platform/LocalFile.h"
#include "records/Track.h"

#include <algorithm>

namespace brivello {

namespace {

const MP3Header::Table &tableFor(int version, int layer)
{
    if (version == 3) {
        if (layer == 3)
            return MP3Header::kMPEG1LayerI;
        if (layer == 2)
            return MP3Header::kMPEG1LayerII;
        return MP3Header::kMPEG1LayerIII;
    }
    return layer == 3 ? MP3Header::kMPEG2LayerI : MP3Header::kMPEG2LayerIIAndIII;
}

} // namespace

double MP3Header::Frame::bitRate() const
{
    return tableFor(version, layer)[bitRateIndex] * 1000.0;
}

std::optional<MP3Header::Frame> MP3Header::frame(QByteArrayView bytes, qsizetype at)
{
    if (at < 0 || bytes.size() - at < 4)
        return std::nullopt;
    const auto b0 = static_cast<unsigned char>(bytes[at]);
    const auto b1 = static_cast<unsigned char>(bytes[at + 1]);
    const auto b2 = static_cast<unsigned char>(bytes[at + 2]);
    if (b0 != 0xFF || b1 < 0xE0)
        return std::nullopt;
    const Frame header{(b1 >> 3) & 3, (b1 >> 1) & 3, b2 >> 4, (b2 >> 2) & 3};
    if (header.version == 1 || header.layer == 0 || header.bitRateIndex == 0 ||
        header.bitRateIndex == 15)
        return std::nullopt;
    return header;
}

std::optional<double> MP3Header::bitRate(const QUrl &url)
{
    if (pathExtension(url).toLower() != QLatin1String("mp3"))
        return std::nullopt;
    try {
        return bitRate(url, FileByteSource(LocalFile::path(url)));
    } catch (const WriteError &) {
        return std::nullopt;
    }
}

std::optional<double> MP3Header::bitRate(const QUrl &url, const ByteSource &file)
{
    if (pathExtension(url).toLower() != QLatin1String("mp3"))
        return std::nullopt;
    try {
        return bitRate(file.read(0, std::min(kWindowSize, file.size())));
    } catch (const WriteError &) {
        return std::nullopt;
    }
}

std::optional<double> MP3Header::bitRate(const QByteArray &window)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(window.constData());
    const qsizetype n = window.size();
    if (n <= 3)
        return std::nullopt;

    qsizetype start = 0;
    if (n >= 10 && window.startsWith("ID3")) {
        const qint64 size = (qint64(bytes[6] & 0x7F) << 21) | (qint64(bytes[7] & 0x7F) << 14) |
                            (qint64(bytes[8] & 0x7F) << 7) | qint64(bytes[9] & 0x7F);
        start = static_cast<qsizetype>(std::min<qint64>(10 + size, n - 4));
    }

    for (qsizetype i = start; i < n - 3; ++i) {
        if (const std::optional<Frame> header = frame(window, i))
            return header->bitRate();
    }
    return std::nullopt;
}

} // namespace brivello
