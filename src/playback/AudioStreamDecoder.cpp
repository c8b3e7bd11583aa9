#include "AudioStreamDecoder.h"

#include <algorithm>
#include <array>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

namespace brivello {

namespace {

// A run of packets the codec rejects means the stream is broken, not one damaged frame.
constexpr int kMaxFailedPackets = 64;
constexpr int kMaxPlanes = 64;

} // namespace

AudioStreamDecoder::~AudioStreamDecoder()
{
    swr_free(&m_swr);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codec);
}

std::unique_ptr<AudioStreamDecoder> AudioStreamDecoder::open(const QByteArray &nativePath,
                                                             int outputRate)
{
    std::unique_ptr<AudioStreamDecoder> decoder(new AudioStreamDecoder);
    decoder->m_input = AudioFileInput::open(nativePath);
    if (!decoder->m_input || outputRate <= 0)
        return nullptr;
    const AVStream *stream = decoder->m_input->stream();
    const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return nullptr;
    decoder->m_codec = avcodec_alloc_context3(codec);
    if (!decoder->m_codec || avcodec_parameters_to_context(decoder->m_codec, stream->codecpar) < 0)
        return nullptr;
    decoder->m_codec->thread_count = 1;
    decoder->m_codec->pkt_timebase = stream->time_base;
    if (avcodec_open2(decoder->m_codec, codec, nullptr) < 0 || decoder->m_codec->sample_rate <= 0)
        return nullptr;
    decoder->m_packet = av_packet_alloc();
    decoder->m_frame = av_frame_alloc();
    if (!decoder->m_packet || !decoder->m_frame)
        return nullptr;
    decoder->m_outputRate = outputRate;
    decoder->m_startTime = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    return decoder;
}

void AudioStreamDecoder::seek(qint64 outputFrame)
{
    const AVStream *stream = m_input->stream();
    const int sourceRate = m_codec->sample_rate;
    const qint64 target =
        av_rescale_rnd(std::max<qint64>(outputFrame, 0), sourceRate, m_outputRate, AV_ROUND_UP);
    const qint64 timestamp =
        m_startTime + av_rescale_q(target, AVRational{1, sourceRate}, stream->time_base);
    AVFormatContext *context = m_input->context();
    // At or before the target; the frames in between are decoded and dropped.
    if (avformat_seek_file(context, stream->index, INT64_MIN, timestamp, timestamp, 0) < 0 &&
        av_seek_frame(context, stream->index, m_startTime, AVSEEK_FLAG_BACKWARD) < 0)
        avio_seek(context->pb, 0, SEEK_SET);
    avcodec_flush_buffers(m_codec);
    resetResampler();
    m_dropBefore = target;
    m_nextSample = 0;
    m_failedPackets = 0;
    m_draining = false;
}

AudioStreamDecoder::Status AudioStreamDecoder::decode(std::vector<float> &out)
{
    if (m_draining)
        return Status::end;
    AVFormatContext *context = m_input->context();
    while (true) {
        const int status = av_read_frame(context, m_packet);
        if (status == AVERROR_EOF || (status < 0 && avio_feof(context->pb))) {
            // A file that ends early (cut short while playing) ends here too.
            m_draining = true;
            avcodec_send_packet(m_codec, nullptr);
            if (receiveFrames(out) == Status::failed)
                return Status::failed;
            if (m_swr)
                convert(nullptr, 0, out);
            return Status::end;
        }
        if (status < 0)
            return Status::failed;
        if (m_packet->stream_index != m_input->stream()->index) {
            av_packet_unref(m_packet);
            continue;
        }
        const int sent = avcodec_send_packet(m_codec, m_packet);
        av_packet_unref(m_packet);
        if (sent < 0 && sent != AVERROR(EAGAIN))
            return ++m_failedPackets > kMaxFailedPackets ? Status::failed : Status::ok;
        return receiveFrames(out);
    }
}

AudioStreamDecoder::Status AudioStreamDecoder::receiveFrames(std::vector<float> &out)
{
    while (true) {
        const int status = avcodec_receive_frame(m_codec, m_frame);
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF)
            return Status::ok;
        if (status < 0)
            return ++m_failedPackets > kMaxFailedPackets ? Status::failed : Status::ok;
        const bool appended = append(m_frame, out);
        av_frame_unref(m_frame);
        if (!appended)
            return Status::failed;
        m_failedPackets = 0;
    }
}

bool AudioStreamDecoder::append(const AVFrame *frame, std::vector<float> &out)
{
    if (frame->sample_rate <= 0 || frame->nb_samples <= 0 || frame->ch_layout.nb_channels <= 0 ||
        frame->ch_layout.nb_channels > kMaxPlanes)
        return true;
    const qint64 start = frame->best_effort_timestamp != AV_NOPTS_VALUE
                             ? av_rescale_q(frame->best_effort_timestamp - m_startTime,
                                            m_input->stream()->time_base,
                                            AVRational{1, frame->sample_rate})
                             : m_nextSample;
    m_nextSample = start + frame->nb_samples;
    int skip = 0;
    if (m_dropBefore >= 0) {
        skip = static_cast<int>(std::clamp<qint64>(m_dropBefore - start, 0, frame->nb_samples));
        if (skip == frame->nb_samples)
            return true;
        m_dropBefore = -1;
    }
    if (m_swr && (frame->format != m_sourceFormat || frame->sample_rate != m_sourceRate ||
                  frame->ch_layout.nb_channels != m_sourceChannels)) {
        // Concatenated files change format mid-stream: finish the old conversion first.
        convert(nullptr, 0, out);
        resetResampler();
    }
    if (!m_swr && !openResampler(frame))
        return false;

    const auto format = static_cast<AVSampleFormat>(frame->format);
    const int bytesPerSample = av_get_bytes_per_sample(format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int planes = planar ? frame->ch_layout.nb_channels : 1;
    const int stride = bytesPerSample * (planar ? 1 : frame->ch_layout.nb_channels);
    std::array<const uint8_t *, kMaxPlanes> input{};
    for (int p = 0; p < planes; ++p)
        input[static_cast<size_t>(p)] = frame->extended_data[p] + skip * stride;
    return convert(input.data(), frame->nb_samples - skip, out);
}

bool AudioStreamDecoder::openResampler(const AVFrame *frame)
{
    AVChannelLayout in{};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&in, frame->ch_layout.nb_channels);
    else if (av_channel_layout_copy(&in, &frame->ch_layout) < 0)
        return false;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    const int status = swr_alloc_set_opts2(&m_swr,
                                           &stereo,
                                           AV_SAMPLE_FMT_FLT,
                                           m_outputRate,
                                           &in,
                                           static_cast<AVSampleFormat>(frame->format),
                                           frame->sample_rate,
                                           0,
                                           nullptr);
    av_channel_layout_uninit(&in);
    if (status < 0 || swr_init(m_swr) < 0) {
        swr_free(&m_swr);
        return false;
    }
    m_sourceFormat = frame->format;
    m_sourceRate = frame->sample_rate;
    m_sourceChannels = frame->ch_layout.nb_channels;
    return true;
}

bool AudioStreamDecoder::convert(const uint8_t **input, int count, std::vector<float> &out)
{
    const int capacity = swr_get_out_samples(m_swr, count) + 32;
    if (capacity <= 0)
        return capacity == 32;
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(capacity) * 2);
    auto *target = reinterpret_cast<uint8_t *>(out.data() + start);
    const int produced = swr_convert(m_swr, &target, capacity, input, count);
    out.resize(start + static_cast<size_t>(std::max(produced, 0)) * 2);
    return produced >= 0;
}

void AudioStreamDecoder::resetResampler()
{
    swr_free(&m_swr);
    m_sourceFormat = -1;
    m_sourceRate = 0;
    m_sourceChannels = 0;
}

} // namespace brivello
