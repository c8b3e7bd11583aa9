#include "AudioTechnicalInfo.h"

#include "AVFormatInput.h"
#include "platform/LocalFile.h"

#include <QFile>
#include <QtEndian>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace brivello {

namespace {

// Walks chunk headers only, seeking over bodies, so a 1 GB WAV costs a few reads.
quint64 findChunk(QFile &file, const char *wanted, bool bigEndian)
{
    const qint64 fileSize = file.size();
    qint64 position = 12;
    while (position + 8 <= fileSize) {
        if (!file.seek(position))
            return 0;
        const QByteArray header = file.read(8);
        if (header.size() < 8)
            return 0;
        const auto *raw = reinterpret_cast<const uchar *>(header.constData() + 4);
        const quint64 size =
            bigEndian ? qFromBigEndian<quint32>(raw) : qFromLittleEndian<quint32>(raw);
        if (header.startsWith(wanted)) {
            // A size past the end (streamed or truncated files) counts what is really there.
            return std::min<quint64>(size, quint64(fileSize - position - 8));
        }
        position += 8 + qint64(size) + qint64(size & 1);
    }
    return 0;
}

} // namespace

quint64 AudioTechnicalInfo::chunkAudioByteCount(const QString &path)
{
    QFile file;
    if (!LocalFile::open(file, path, QIODevice::ReadOnly))
        return 0;
    const QByteArray head = file.read(12);
    if (head.size() < 12)
        return 0;
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WAVE")
        return findChunk(file, "data", false);
    if (head.startsWith("FORM") && (head.mid(8, 4) == "AIFF" || head.mid(8, 4) == "AIFC")) {
        const quint64 ssnd = findChunk(file, "SSND", true);
        return ssnd > 8 ? ssnd - 8 : 0; // offset and block-size fields precede the samples
    }
    return 0;
}

std::optional<AudioTechnicalInfo::Details> AudioTechnicalInfo::read(const QUrl &url)
{
    const QString path = LocalFile::path(url);
    const auto input = AVFormatInput::open(path);
    if (!input)
        return std::nullopt;
    return read(*input, path);
}

std::optional<AudioTechnicalInfo::Details> AudioTechnicalInfo::read(const AVFormatInput &input,
                                                                    const QString &path)
{
    const AVStream *stream = input.audioStream();
    if (!stream)
        return std::nullopt;
    const AVCodecParameters *codec = stream->codecpar;

    Details details;
    details.bitRate = codec->bit_rate > 0 ? double(codec->bit_rate) : 0;
    const AVCodecDescriptor *descriptor = avcodec_descriptor_get(codec->codec_id);
    if (descriptor && (descriptor->props & AV_CODEC_PROP_LOSSLESS)) {
        details.bitDepth = codec->bits_per_raw_sample > 0 ? codec->bits_per_raw_sample
                                                          : codec->bits_per_coded_sample;
    }
    details.audioDataByteCount = chunkAudioByteCount(path);
    return details;
}

} // namespace brivello
