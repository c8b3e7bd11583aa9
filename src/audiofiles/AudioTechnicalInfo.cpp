#include "AudioTechnicalInfo.h"

#include "AVFormatInput.h"
#include "FileByteSource.h"
#include "WriteError.h"
#include "platform/LocalFile.h"

#include <QtEndian>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace brivello {

namespace {

// Walks chunk headers only, skipping bodies, so a 1 GB WAV costs a few reads.
quint64 findChunk(const ByteSource &file, const char *wanted, bool bigEndian)
{
    const qint64 fileSize = file.size();
    qint64 position = 12;
    while (position + 8 <= fileSize) {
        const QByteArray header = file.read(position, 8);
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

// The stated rate and the stored sample size; the byte count is left to the caller.
std::optional<AudioTechnicalInfo::Details> streamDetails(const AVFormatInput &input)
{
    const AVStream *stream = input.audioStream();
    if (!stream)
        return std::nullopt;
    const AVCodecParameters *codec = stream->codecpar;

    AudioTechnicalInfo::Details details;
    details.bitRate = codec->bit_rate > 0 ? double(codec->bit_rate) : 0;
    const AVCodecDescriptor *descriptor = avcodec_descriptor_get(codec->codec_id);
    if (descriptor && (descriptor->props & AV_CODEC_PROP_LOSSLESS)) {
        details.bitDepth = codec->bits_per_raw_sample > 0 ? codec->bits_per_raw_sample
                                                          : codec->bits_per_coded_sample;
    }
    return details;
}

} // namespace

quint64 AudioTechnicalInfo::chunkAudioByteCount(const QString &path)
{
    try {
        return chunkAudioByteCount(FileByteSource(path));
    } catch (const WriteError &) {
        return 0;
    }
}

quint64 AudioTechnicalInfo::chunkAudioByteCount(const ByteSource &file)
{
    try {
        if (file.size() < 12)
            return 0;
        const QByteArray head = file.read(0, 12);
        if (head.startsWith("RIFF") && head.mid(8, 4) == "WAVE")
            return findChunk(file, "data", false);
        if (head.startsWith("FORM") && (head.mid(8, 4) == "AIFF" || head.mid(8, 4) == "AIFC")) {
            const quint64 ssnd = findChunk(file, "SSND", true);
            return ssnd > 8 ? ssnd - 8 : 0; // offset and block-size fields precede the samples
        }
    } catch (const WriteError &) {
        // unreadable: no count
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
    std::optional<Details> details = streamDetails(input);
    if (details)
        details->audioDataByteCount = chunkAudioByteCount(path);
    return details;
}

std::optional<AudioTechnicalInfo::Details> AudioTechnicalInfo::read(const AVFormatInput &input,
                                                                    const ByteSource &file)
{
    std::optional<Details> details = streamDetails(input);
    if (details)
        details->audioDataByteCount = chunkAudioByteCount(file);
    return details;
}

} // namespace brivello
