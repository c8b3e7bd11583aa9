#include "FileEnvelopeSource.h"

#include "AudioProcessingError.h"
#include "AudioProcessor.h"
#include "audiofiles/AVFormatInput.h"
#include "audiofiles/OperationCancelled.h"

#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

namespace brivello {

namespace {

[[noreturn]] void fail(AudioProcessingError::Kind kind = AudioProcessingError::Kind::fileUnreadable)
{
    throw AudioProcessingError(kind);
}

} // namespace

// Decodes the first audio stream and hands out planar float frames at the stream's opening
// rate and channel count; a stream that changes format midway is converted back to those.
struct FileEnvelopeSource::Decoder
{
    std::unique_ptr<AVFormatInput> input;
    const AVStream *stream = nullptr;
    AVCodecContext *codec = nullptr;
    SwrContext *swr = nullptr;
    AVAudioFifo *fifo = nullptr;
    AVPacket *packet = nullptr;
    AVFrame *frame = nullptr;
    AVChannelLayout layout{};
    int rate = 0;
    int channels = 0;
    int swrFormat = -1, swrRate = 0, swrChannels = 0;
    bool drained = false;
    std::vector<std::vector<float>> chunk;

    ~Decoder()
    {
        swr_free(&swr);
        if (fifo)
            av_audio_fifo_free(fifo);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        av_channel_layout_uninit(&layout);
    }

    void open(const QString &path)
    {
        input = AVFormatInput::open(path);
        stream = input ? input->audioStream() : nullptr;
        const AVCodec *decoder =
            stream ? avcodec_find_decoder(stream->codecpar->codec_id) : nullptr;
        if (!decoder || !(codec = avcodec_alloc_context3(decoder)) ||
            avcodec_parameters_to_context(codec, stream->codecpar) < 0)
            fail();
        codec->thread_count = 1;
        if (avcodec_open2(codec, decoder, nullptr) < 0 || codec->sample_rate <= 0 ||
            codec->ch_layout.nb_channels <= 0)
            fail();
        rate = codec->sample_rate;
        channels = codec->ch_layout.nb_channels;
        av_channel_layout_default(&layout, channels);
        packet = av_packet_alloc();
        frame = av_frame_alloc();
        fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, channels, kChunkFrames);
        if (!packet || !frame || !fifo)
            fail(AudioProcessingError::Kind::bufferCreationFailed);
        chunk.assign(size_t(channels), std::vector<float>(kChunkFrames));
    }

    qint64 statedFrames() const
    {
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
            return std::llround(stream->duration * av_q2d(stream->time_base) * rate);
        return std::llround(input->duration() * rate);
    }

    void convert(const AVFrame *source)
    {
        if (!swr || source->format != swrFormat || source->sample_rate != swrRate ||
            source->ch_layout.nb_channels != swrChannels) {
            swr_free(&swr);
            AVChannelLayout in{};
            if (source->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
                av_channel_layout_default(&in, source->ch_layout.nb_channels);
            else if (av_channel_layout_copy(&in, &source->ch_layout) < 0)
                fail();
            const int status = swr_alloc_set_opts2(&swr,
                                                   &layout,
                                                   AV_SAMPLE_FMT_FLTP,
                                                   rate,
                                                   &in,
                                                   AVSampleFormat(source->format),
                                                   source->sample_rate,
                                                   0,
                                                   nullptr);
            av_channel_layout_uninit(&in);
            if (status < 0 || swr_init(swr) < 0)
                fail();
            swrFormat = source->format;
            swrRate = source->sample_rate;
            swrChannels = source->ch_layout.nb_channels;
        }
        const int capacity = swr_get_out_samples(swr, source->nb_samples);
        if (capacity <= 0)
            return;
        std::vector<std::vector<float>> out(static_cast<size_t>(channels),
                                            std::vector<float>(static_cast<size_t>(capacity)));
        std::vector<uint8_t *> planes;
        for (auto &plane : out)
            planes.push_back(reinterpret_cast<uint8_t *>(plane.data()));
        const int produced = swr_convert(swr,
                                         planes.data(),
                                         capacity,
                                         const_cast<const uint8_t **>(source->extended_data),
                                         source->nb_samples);
        if (produced < 0)
            fail();
        if (produced > 0 &&
            av_audio_fifo_write(fifo, reinterpret_cast<void **>(planes.data()), produced) < 0)
            fail(AudioProcessingError::Kind::bufferCreationFailed);
    }

    void receive()
    {
        while (avcodec_receive_frame(codec, frame) == 0) {
            convert(frame);
            av_frame_unref(frame);
        }
    }

    // Fills the fifo with at least `wanted` frames unless the stream ends first.
    void fill(int wanted)
    {
        while (!drained && av_audio_fifo_size(fifo) < wanted) {
            if (av_read_frame(input->context(), packet) < 0) {
                avcodec_send_packet(codec, nullptr);
                receive();
                drained = true;
                break;
            }
            if (packet->stream_index == stream->index && avcodec_send_packet(codec, packet) >= 0)
                receive();
            av_packet_unref(packet);
        }
    }

    // Up to `wanted` frames into `chunk`; 0 at the end of the stream.
    int read(int wanted)
    {
        fill(wanted);
        std::vector<void *> planes;
        for (auto &plane : chunk)
            planes.push_back(plane.data());
        return std::max(0, av_audio_fifo_read(fifo, planes.data(), wanted));
    }
};

FileEnvelopeSource::FileEnvelopeSource(const QString &path, int sampleCount, std::stop_token stop)
    : m_decoder(std::make_unique<Decoder>())
    , m_sampleCount(sampleCount)
    , m_sumOfSquares(size_t(std::max(sampleCount, 0)))
    , m_peaks(size_t(std::max(sampleCount, 0)))
    , m_frameCounts(size_t(std::max(sampleCount, 0)))
{
    m_decoder->open(path);
    m_total = m_decoder->statedFrames();
    if (m_total <= 0) {
        // The container states no length: count the frames in a first pass.
        Decoder counter;
        counter.open(path);
        m_total = 0;
        while (const int frames = counter.read(kChunkFrames)) {
            if (stop.stop_requested())
                throw OperationCancelled();
            m_total += frames;
        }
    }
    m_total = std::max<qint64>(1, m_total);
}

FileEnvelopeSource::~FileEnvelopeSource() = default;

qint64 FileEnvelopeSource::totalFrames() const
{
    return m_total;
}

bool FileEnvelopeSource::step(std::stop_token stop)
{
    if (m_position >= m_total)
        return false;
    if (stop.stop_requested())
        throw OperationCancelled();
    const int wanted = int(std::min<qint64>(m_total - m_position, kChunkFrames));
    const int frames = m_decoder->read(wanted);
    if (frames <= 0)
        return false;
    std::vector<const float *> planes;
    for (const auto &plane : m_decoder->chunk)
        planes.push_back(plane.data());
    accumulate(planes.data(), m_decoder->channels, frames);
    return m_position < m_total;
}

void FileEnvelopeSource::accumulate(const float *const *planes, int channels, qint64 frames)
{
    const qint64 n = m_sampleCount;
    const qint64 chunkEnd = m_position + frames;
    const qint64 b0 = std::min(m_position * n / m_total, n - 1);
    const qint64 b1 = std::min((chunkEnd - 1) * n / m_total, n - 1);
    for (qint64 b = b0; b <= b1; ++b) {
        const qint64 first = b * m_total / n;
        const qint64 last = std::max((b + 1) * m_total / n, first + 1);
        const qint64 from = std::max(first, m_position);
        const qint64 to = std::min(last, chunkEnd);
        if (to <= from)
            continue;
        double squares = 0;
        float peak = m_peaks[size_t(b)];
        for (int c = 0; c < channels; ++c) {
            const float *data = planes[c] + (from - m_position);
            for (qint64 k = 0; k < to - from; ++k) {
                squares += double(data[k]) * double(data[k]);
                peak = std::max(peak, std::fabs(data[k]));
            }
        }
        m_sumOfSquares[size_t(b)] += squares / channels;
        m_peaks[size_t(b)] = peak;
        m_frameCounts[size_t(b)] += to - from;
    }
    m_position = chunkEnd;
}

std::vector<float> FileEnvelopeSource::finish()
{
    std::vector<float> rms(m_sumOfSquares.size(), 0.0f);
    for (size_t b = 0; b < rms.size(); ++b) {
        if (m_frameCounts[b] >= 1)
            rms[b] = float(std::sqrt(m_sumOfSquares[b] / double(m_frameCounts[b])));
    }
    return AudioProcessor::normalize(rms, m_peaks);
}

} // namespace brivello
