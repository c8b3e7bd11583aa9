#include "MetadataInput.h"

#include "ContainerHint.h"
#include "FileByteSource.h"
#include "MP3Header.h"
#include "WriteError.h"

#include <QFileInfo>
#include <optional>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace brivello {

namespace {

// The FLAC decoder takes the sample size from STREAMINFO, which the demuxer keeps.
bool settleFlac(AVCodecParameters *codec)
{
    if (codec->extradata_size < 34)
        return false;
    const uint8_t *info = codec->extradata;
    codec->bits_per_raw_sample = (((info[12] & 1) << 4) | (info[13] >> 4)) + 1;
    return true;
}

// A VBR header states the average rate. A CBR "Info" header does not: the analysis then
// averages the frames' own rates, which in a constant-rate file is the first audio frame's.
bool settleMp3(AVFormatInput &input, AVCodecParameters *codec, bool infoFrame)
{
    if (codec->bit_rate > 0)
        return true;
    if (!infoFrame)
        return false;
    const std::optional<AVFormatInput::Packet> packet = input.nextAudioPacket(4);
    const std::optional<MP3Header::Frame> frame =
        packet ? MP3Header::frame(packet->head, 0) : std::nullopt;
    if (!frame)
        return false;
    codec->bit_rate = static_cast<int64_t>(frame->bitRate());
    return true;
}

// The PCM decoders with 32-bit output state their sample size; the others keep the header's.
bool settlePcm(AVCodecParameters *codec)
{
    const AVCodec *decoder = avcodec_find_decoder(codec->codec_id);
    if (decoder && decoder->sample_fmts && decoder->sample_fmts[0] == AV_SAMPLE_FMT_S32)
        codec->bits_per_raw_sample = av_get_bits_per_sample(codec->codec_id);
    return codec->bit_rate > 0;
}

bool onlyAudioStream(const AVFormatContext *context, const AVStream *audio)
{
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *other = context->streams[i];
        if (other != audio && !(other->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return false;
    }
    return true;
}

// Only one audio stream (beside attached pictures), a stated stream duration and codecs whose
// analysis is known qualify; false leaves the file to the analysis.
bool settleFromHeader(AVFormatInput &input, bool mp3InfoFrame)
{
    AVFormatContext *context = input.context();
    AVStream *stream = input.audioStream();
    if (!stream || stream->duration == AV_NOPTS_VALUE || stream->duration <= 0 ||
        stream->time_base.den == 0 || !onlyAudioStream(context, stream))
        return false;
    AVCodecParameters *codec = stream->codecpar;
    const AVCodecDescriptor *descriptor = avcodec_descriptor_get(codec->codec_id);
    bool settled = false;
    if (codec->codec_id == AV_CODEC_ID_FLAC)
        settled = settleFlac(codec);
    else if (codec->codec_id == AV_CODEC_ID_MP3)
        settled = settleMp3(input, codec, mp3InfoFrame);
    else if (codec->codec_id >= AV_CODEC_ID_PCM_S16LE && codec->codec_id < AV_CODEC_ID_ADPCM_IMA_QT)
        settled = settlePcm(codec);
    else if (descriptor && !(descriptor->props & AV_CODEC_PROP_LOSSLESS))
        settled = codec->bit_rate > 0 && context->duration != AV_NOPTS_VALUE;
    // The analysis derives the container's duration from the stream's the same way.
    if (settled && context->duration == AV_NOPTS_VALUE)
        context->duration = av_rescale_q(stream->duration, stream->time_base, AV_TIME_BASE_Q);
    return settled;
}

} // namespace

std::unique_ptr<AVFormatInput> MetadataInput::open(const QString &path)
{
    try {
        return open(FileByteSource(path), path);
    } catch (const WriteError &) {
        return nullptr;
    }
}

std::unique_ptr<AVFormatInput> MetadataInput::open(const FileByteSource &file, const QString &path)
{
    const ContainerHint::Hint hint =
        ContainerHint::forFile(QFileInfo(path).suffix(), ContainerHint::leadBytes(file));
    if (hint.demuxer) {
        if (auto input = AVFormatInput::open(file.fileDescriptor(), path, false, hint.demuxer)) {
            if (!settleFromHeader(*input, hint.mp3InfoFrame))
                input->analyse();
            return input;
        }
    }
    return AVFormatInput::open(file.fileDescriptor(), path);
}

} // namespace brivello
