#include "AudioFloatReader.h"

#include "AnalysisError.h"
#include "SpreadWindowGrid.h"
#include "audiofiles/AVFormatInput.h"
#include "audiofiles/OperationCancelled.h"

#include <algorithm>
#include <cstring>
#include <optional>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace brivello {

namespace {

// Containers whose header states the decoded length to the sample.
bool headerLengthIsExact(const AVFormatContext *context)
{
    const char *name = context->iformat ? context->iformat->name : "";
    return std::strcmp(name, "flac") == 0 || std::strcmp(name, "wav") == 0 ||
           std::strcmp(name, "aiff") == 0 || std::strncmp(name, "mov,mp4", 7) == 0;
}

template <typename T> float toFloat(T value)
{
    if constexpr (std::is_same_v<T, uint8_t>)
        return (int(value) - 128) * (1.0f / 128.0f);
    else if constexpr (std::is_same_v<T, int16_t>)
        return value * (1.0f / 32768.0f);
    else if constexpr (std::is_same_v<T, int32_t>)
        return float(value * (1.0 / 2147483648.0));
    else if constexpr (std::is_same_v<T, int64_t>)
        return float(double(value) / 9223372036854775808.0);
    else
        return float(value);
}

// Containers whose timestamps place every decoded frame exactly after a seek.
bool seeksExactly(const AVFormatContext *context)
{
    const char *name = context->iformat ? context->iformat->name : "";
    return std::strcmp(name, "flac") == 0 || std::strcmp(name, "wav") == 0 ||
           std::strcmp(name, "aiff") == 0;
}

// Channel c's sample k, planar or interleaved.
template <typename T> void mixChannels(const AVFrame *frame, bool planar, float *out)
{
    const int channels = std::max(frame->ch_layout.nb_channels, 1);
    const int count = frame->nb_samples;
    for (int c = 0; c < channels; ++c) {
        const auto *data =
            reinterpret_cast<const T *>(planar ? frame->extended_data[c] : frame->extended_data[0]);
        const int stride = planar ? 1 : channels;
        const int offset = planar ? 0 : c;
        for (int k = 0; k < count; ++k) {
            const float value = toFloat(data[k * stride + offset]);
            out[k] = c == 0 ? value : out[k] + value;
        }
    }
    if (channels > 1) {
        for (int k = 0; k < count; ++k)
            out[k] /= float(channels);
    }
}

bool mixToMono(const AVFrame *frame, std::vector<float> &out)
{
    out.resize(size_t(std::max(frame->nb_samples, 0)));
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const bool planar = av_sample_fmt_is_planar(format);
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
        mixChannels<uint8_t>(frame, planar, out.data());
        return true;
    case AV_SAMPLE_FMT_S16:
        mixChannels<int16_t>(frame, planar, out.data());
        return true;
    case AV_SAMPLE_FMT_S32:
        mixChannels<int32_t>(frame, planar, out.data());
        return true;
    case AV_SAMPLE_FMT_S64:
        mixChannels<int64_t>(frame, planar, out.data());
        return true;
    case AV_SAMPLE_FMT_FLT:
        mixChannels<float>(frame, planar, out.data());
        return true;
    case AV_SAMPLE_FMT_DBL:
        mixChannels<double>(frame, planar, out.data());
        return true;
    default:
        return false;
    }
}

} // namespace

// One decoding pass over the file's first audio stream.
class AudioFloatReader::Decoder
{
public:
    explicit Decoder(const QString &path)
        : m_input(AVFormatInput::open(path))
    {
        if (!m_input)
            throw AnalysisError::fromLibav(AVERROR_INVALIDDATA);
        m_stream = m_input->audioStream();
        const AVCodec *codec =
            m_stream ? avcodec_find_decoder(m_stream->codecpar->codec_id) : nullptr;
        if (!codec)
            throw AnalysisError::fromLibav(AVERROR_DECODER_NOT_FOUND);
        m_codec = avcodec_alloc_context3(codec);
        m_packet = av_packet_alloc();
        m_frame = av_frame_alloc();
        if (!m_codec || !m_packet || !m_frame)
            throw AnalysisError::fromLibav(AVERROR(ENOMEM));
        int status = avcodec_parameters_to_context(m_codec, m_stream->codecpar);
        m_codec->thread_count = 1;
        if (status >= 0)
            status = avcodec_open2(m_codec, codec, nullptr);
        if (status < 0)
            throw AnalysisError::fromLibav(status);
    }

    ~Decoder()
    {
        av_frame_free(&m_frame);
        av_packet_free(&m_packet);
        avcodec_free_context(&m_codec);
    }

    AVFormatInput &input() { return *m_input; }
    const AVStream &stream() const { return *m_stream; }
    const AVCodecContext &codec() const { return *m_codec; }

    // The next decoded frame as mono samples; false at the end of the stream. `position` is
    // where the frame starts by its timestamp, in frames, or −1 when it carries none.
    bool next(std::vector<float> &mono, qint64 *position = nullptr)
    {
        while (true) {
            const int received = avcodec_receive_frame(m_codec, m_frame);
            if (received == 0) {
                if (position) {
                    const int64_t pts = m_frame->best_effort_timestamp;
                    *position = pts == AV_NOPTS_VALUE
                                    ? -1
                                    : av_rescale_q(pts,
                                                   m_stream->time_base,
                                                   AVRational{1, m_codec->sample_rate});
                }
                const bool mixed = mixToMono(m_frame, mono);
                av_frame_unref(m_frame);
                if (!mixed)
                    throw AnalysisError::fromLibav(AVERROR_PATCHWELCOME);
                return true;
            }
            if (received != AVERROR(EAGAIN))
                return false; // drained, or the decoder gave up
            feed();
        }
    }

    // Moves to a packet at or before `frame` (by timestamp); the decoder starts afresh.
    bool seekBefore(qint64 frame)
    {
        const int64_t ts =
            av_rescale_q(frame, AVRational{1, m_codec->sample_rate}, m_stream->time_base);
        if (av_seek_frame(m_input->context(), m_stream->index, ts, AVSEEK_FLAG_BACKWARD) < 0)
            return false;
        avcodec_flush_buffers(m_codec);
        return true;
    }

private:
    void feed()
    {
        while (true) {
            const int status = av_read_frame(m_input->context(), m_packet);
            if (status == AVERROR_EOF) {
                avcodec_send_packet(m_codec, nullptr);
                return;
            }
            if (status < 0)
                throw AnalysisError::fromLibav(status);
            const bool ours = m_packet->stream_index == m_stream->index;
            // A damaged packet is left out, as players do; the stream goes on.
            const int sent = ours ? avcodec_send_packet(m_codec, m_packet) : -1;
            av_packet_unref(m_packet);
            if (sent >= 0)
                return;
        }
    }

    std::unique_ptr<AVFormatInput> m_input;
    AVStream *m_stream = nullptr;
    AVCodecContext *m_codec = nullptr;
    AVPacket *m_packet = nullptr;
    AVFrame *m_frame = nullptr;
};

AudioFloatReader::AudioFloatReader(const QString &path)
    : m_path(path)
    , m_fresh(std::make_unique<Decoder>(path))
{
    const AVCodecContext &codec = m_fresh->codec();
    m_sampleRate = codec.sample_rate;
    m_channelCount = codec.ch_layout.nb_channels;
    if (m_sampleRate <= 0)
        throw AnalysisError::fromLibav(AVERROR_INVALIDDATA);
    const AVStream &stream = m_fresh->stream();
    if (headerLengthIsExact(m_fresh->input().context()) && stream.duration != AV_NOPTS_VALUE &&
        stream.duration > 0) {
        m_headerFrames =
            av_rescale_q(stream.duration, stream.time_base, AVRational{1, codec.sample_rate});
        m_seekable = seeksExactly(m_fresh->input().context());
    }
}

AudioFloatReader::~AudioFloatReader() = default;

std::unique_ptr<AudioFloatReader::Decoder> AudioFloatReader::openDecoder() const
{
    return std::make_unique<Decoder>(m_path);
}

void AudioFloatReader::readWindows(const std::vector<qint64> &starts,
                                   int length,
                                   const WindowSink &sink,
                                   std::stop_token stop)
{
    std::unique_ptr<Decoder> decoder = m_fresh ? std::move(m_fresh) : openDecoder();
    // `held` is the tail of the decoded audio: frames [decoded − held.size(), decoded).
    std::vector<float> held;
    std::vector<float> mono;
    qint64 decoded = 0;
    bool ended = false;
    // Far gaps are skipped by seeking where timestamps are exact; the first frame's timestamp
    // is the origin the others are measured from.
    bool seekable = m_seekable;
    const qint64 seekGap = std::max<qint64>(qint64(m_sampleRate), 8LL * length);
    std::optional<qint64> origin;
    bool seeked = false;
    for (size_t index = 0; index < starts.size(); ++index) {
        if (stop.stop_requested())
            throw OperationCancelled();
        const qint64 start = starts[index];
        const auto keep = size_t(std::max<qint64>(decoded - start, 0));
        if (held.size() > keep)
            held.erase(held.begin(), held.end() - qint64(keep));
        if (seekable && origin && !ended && start - decoded > seekGap &&
            decoder->seekBefore(start + *origin)) {
            held.clear();
            seeked = true;
        }
        while (!ended && decoded < start + length) {
            qint64 position = -1;
            if (!decoder->next(mono, &position)) {
                ended = true;
                break;
            }
            if (!origin) {
                origin = position;
                seekable = seekable && position >= 0;
            }
            qint64 first = decoded;
            if (seeked) {
                seeked = false;
                first = position - *origin;
                if (position < 0 || first > start) {
                    // The timestamps cannot place this frame: start over without seeking.
                    decoder = openDecoder();
                    seekable = false;
                    decoded = 0;
                    held.clear();
                    continue;
                }
            }
            decoded = first + qint64(mono.size());
            if (decoded > start) {
                const auto skip = size_t(std::max<qint64>(start - first, 0));
                held.insert(held.end(), mono.begin() + qint64(skip), mono.end());
            }
            if (stop.stop_requested())
                throw OperationCancelled();
        }
        const qint64 available = std::clamp<qint64>(decoded - start, 0, length);
        sink(int(index), held.data(), int(available));
    }
}

void AudioFloatReader::readSpreadWindows(
    const std::function<std::vector<qint64>(qint64 frames)> &startsFor,
    int length,
    const WindowSink &sink,
    std::stop_token stop)
{
    if (m_headerFrames >= 0) {
        readWindows(startsFor(std::max<qint64>(m_headerFrames, 1)), length, sink, stop);
        return;
    }
    const std::vector<qint64> unknown = startsFor(1);
    SpreadWindowGrid grid(int(unknown.size()), length);
    std::unique_ptr<Decoder> decoder = m_fresh ? std::move(m_fresh) : openDecoder();
    std::vector<float> mono;
    while (decoder->next(mono)) {
        grid.feed(mono.data(), qint64(mono.size()));
        if (stop.stop_requested())
            throw OperationCancelled();
    }
    m_headerFrames = grid.frames();
    const std::vector<const SpreadWindowGrid::Window *> picked =
        grid.pick(startsFor(std::max<qint64>(grid.frames(), 1)));
    for (size_t index = 0; index < picked.size(); ++index) {
        if (stop.stop_requested())
            throw OperationCancelled();
        const SpreadWindowGrid::Window &window = *picked[index];
        sink(int(index),
             window.samples.data(),
             int(std::min<size_t>(window.samples.size(), size_t(length))));
    }
}

} // namespace brivello
