#include "MP3Header.h"

#include "platform/LocalFile.h"
#include "records/Track.h"

#include <QFile>

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

std::optional<double> MP3Header::bitRate(const QUrl &url)
{
    if (pathExtension(url).toLower() != QLatin1String("mp3"))
        return std::nullopt;
    QFile file;
    if (!LocalFile::open(file, LocalFile::path(url), QIODevice::ReadOnly))
        return std::nullopt;
    return bitRate(file.read(kWindowSize));
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
        const unsigned b0 = bytes[i];
        const unsigned b1 = bytes[i + 1];
        const unsigned b2 = bytes[i + 2];
        if (b0 != 0xFF || b1 < 0xE0)
            continue;
        const int version = (b1 >> 3) & 3;
        const int layer = (b1 >> 1) & 3;
        const int index = b2 >> 4;
        if (version == 1 || layer == 0 || index == 0 || index == 15)
            continue;
        return tableFor(version, layer)[index] * 1000.0;
    }
    return std::nullopt;
}

} // namespace brivello
