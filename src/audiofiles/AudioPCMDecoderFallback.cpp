// The in-process half of AudioPCMDecoder: libavcodec decodes, libswresample mixes to one
// channel and resamples, all on the calling thread.
#include "AVFormatInput.h"
#include "AudioPCMDecoder.h"
#include "platform/LocalFile.h"

#include <cmath>
#include <limits>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

namespace brivello {

namespace {

struct CodecFree
{
    void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
struct PacketFree
{
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct FrameFree
{
    void operator()(AVFrame *f) const { av_frame_free(&f); }
};
struct SwrFree
{
    void operator()(SwrContext *s) const { swr_free(&s); }
};

[[noreturn]] void fail()
{
    throw AudioPCMDecoder::Error(AudioPCMDecoder::DecoderError::decodingFailed);
}

class MonoResampler
{
public:
    MonoResampler(int rate, qint64 frameLimit)
        : m_rate(rate)
        , m_remaining(frameLimit)
    {}

    bool isFull() const { return m_remaining <= 0; }

    void push(const AVFrame *frame)
    {
        // Concatenated or broken files change channels, format or rate mid-stream: the
        // converter reads as many planes as it was opened for, so it follows each change.
        if (m_swr && !matches(frame)) {
            convert(nullptr, 0, m_sourceRate);
            m_swr.reset();
        }
        if (!m_swr)
            open(frame);
        const int count = static_cast<int>(std::min<qint64>(frame->nb_samples, m_remaining));
        m_remaining -= count;
        convert(const_cast<const uint8_t **>(frame->extended_data), count, frame->sample_rate);
    }

    std::vector<float> finish()
    {
        if (m_swr)
            convert(nullptr, 0, m_sourceRate);
        return std::move(m_samples);
    }

private:
    bool matches(const AVFrame *frame) const
    {
        return frame->format == m_sourceFormat && frame->sample_rate == m_sourceRate &&
               frame->ch_layout.nb_channels == m_sourceChannels;
    }

    void open(const AVFrame *frame)
    {
        AVChannelLayout in{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&in, frame->ch_layout.nb_channels);
        else if (av_channel_layout_copy(&in, &frame->ch_layout) < 0)
            fail();
        AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
        SwrContext *swr = nullptr;
        const int status = swr_alloc_set_opts2(&swr,
                                               &mono,
                                               AV_SAMPLE_FMT_FLT,
                                               m_rate,
                                               &in,
                                               static_cast<AVSampleFormat>(frame->format),
                                               frame->sample_rate,
                                               0,
                                               nullptr);
        av_channel_layout_uninit(&in);
        m_swr.reset(swr);
        if (status < 0 || swr_init(swr) < 0)
            fail();
        m_sourceRate = frame->sample_rate;
        m_sourceFormat = frame->format;
        m_sourceChannels = frame->ch_layout.nb_channels;
    }

    void convert(const uint8_t **input, int count, int sourceRate)
    {
        const int capacity = static_cast<int>(
            av_rescale_rnd(
                swr_get_delay(m_swr.get(), sourceRate) + count, m_rate, sourceRate, AV_ROUND_UP) +
            32);
        const size_t start = m_samples.size();
        m_samples.resize(start + static_cast<size_t>(capacity));
        auto *out = reinterpret_cast<uint8_t *>(m_samples.data() + start);
        const int produced = swr_convert(m_swr.get(), &out, capacity, input, count);
        if (produced < 0)
            fail();
        m_samples.resize(start + static_cast<size_t>(produced));
    }

    int m_rate;
    qint64 m_remaining;
    int m_sourceRate = 0;
    int m_sourceFormat = -1;
    int m_sourceChannels = 0;
    std::unique_ptr<SwrContext, SwrFree> m_swr;
    std::vector<float> m_samples;
};

void receiveFrames(AVCodecContext *codec, AVFrame *frame, MonoResampler &resampler)
{
    while (!resampler.isFull() && avcodec_receive_frame(codec, frame) == 0) {
        resampler.push(frame);
        av_frame_unref(frame);
    }
}

} // namespace

std::vector<float> AudioPCMDecoder::monoSamplesInProcess(const QUrl &url,
                                                         int sampleRate,
                                                         std::optional<double> maximumDuration)
{
    const auto input = AVFormatInput::open(LocalFile::path(url));
    const AVStream *stream = input ? input->audioStream() : nullptr;
    const AVCodec *decoder = stream ? avcodec_find_decoder(stream->codecpar->codec_id) : nullptr;
    if (!decoder || sampleRate <= 0)
        fail();
    std::unique_ptr<AVCodecContext, CodecFree> codec(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0)
        fail();
    codec->thread_count = 1;
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0)
        fail();

    qint64 frameLimit = std::numeric_limits<qint64>::max();
    if (maximumDuration && *maximumDuration > 0 && codec->sample_rate > 0)
        frameLimit = static_cast<qint64>(std::ceil(codec->sample_rate * *maximumDuration));

    MonoResampler resampler(sampleRate, frameLimit);
    std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    while (!resampler.isFull() && av_read_frame(input->context(), packet.get()) >= 0) {
        if (packet->stream_index == stream->index &&
            avcodec_send_packet(codec.get(), packet.get()) >= 0)
            receiveFrames(codec.get(), frame.get(), resampler);
        av_packet_unref(packet.get());
    }
    if (!resampler.isFull()) {
        avcodec_send_packet(codec.get(), nullptr);
        receiveFrames(codec.get(), frame.get(), resampler);
    }
    std::vector<float> samples = resampler.finish();
    if (samples.empty())
        fail();
    return samples;
}

} // namespace brivello
