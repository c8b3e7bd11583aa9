#include "AVFormatInput.h"

#include "FileDescriptorIO.h"
#include "platform/LocalFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace brivello {

namespace {

// What the file protocol reads with, so both opens read alike.
constexpr int kIOBufferSize = 32768;

void silenceLogging()
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
}

QByteArray fileURL(const QString &path)
{
    return QByteArrayLiteral("file:") + LocalFile::encodeName(path);
}

// Opens `context` (freed on failure), allowing only the file protocol: a playlist-like file
// must not make the demuxer reach elsewhere.
bool openInput(AVFormatContext *&context, const QString &path, const char *demuxer)
{
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const AVInputFormat *format = demuxer ? av_find_input_format(demuxer) : nullptr;
    const int status = avformat_open_input(&context, fileURL(path).constData(), format, &options);
    av_dict_free(&options);
    return status >= 0 && context;
}

} // namespace

AVFormatInput::~AVFormatInput()
{
    // Before the I/O context it may read through.
    avformat_close_input(&m_context);
}

std::unique_ptr<AVFormatInput>
AVFormatInput::open(const QString &path, bool analyse, const char *demuxer)
{
    silenceLogging();
    std::unique_ptr<AVFormatInput> input(new AVFormatInput);
    if (!openInput(input->m_context, path, demuxer))
        return nullptr;
    if (analyse)
        input->analyse();
    return input;
}

std::unique_ptr<AVFormatInput>
AVFormatInput::open(int fd, const QString &path, bool analyse, const char *demuxer)
{
    silenceLogging();
    std::unique_ptr<AVFormatInput> input(new AVFormatInput);
    input->m_io = FileDescriptorIO::adopt(::fcntl(fd, F_DUPFD_CLOEXEC, 0), kIOBufferSize);
    if (!input->m_io)
        return nullptr;
    input->m_context = avformat_alloc_context();
    if (!input->m_context)
        return nullptr;
    // The AVIO context stays ours, also when the open fails.
    input->m_context->pb = input->m_io->context();
    if (!openInput(input->m_context, path, demuxer))
        return nullptr;
    if (analyse)
        input->analyse();
    return input;
}

void AVFormatInput::analyse()
{
    avformat_find_stream_info(m_context, nullptr);
}

AVStream *AVFormatInput::audioStream() const
{
    for (unsigned i = 0; i < m_context->nb_streams; ++i) {
        AVStream *stream = m_context->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            return stream;
    }
    return nullptr;
}

double AVFormatInput::duration() const
{
    double seconds = 0;
    if (m_context->duration != AV_NOPTS_VALUE) {
        seconds = m_context->duration / double(AV_TIME_BASE);
    } else if (const AVStream *stream = audioStream();
               stream && stream->duration != AV_NOPTS_VALUE) {
        seconds = stream->duration * av_q2d(stream->time_base);
    }
    return std::isfinite(seconds) ? seconds : 0;
}

std::optional<AVFormatInput::Packet> AVFormatInput::nextAudioPacket(qsizetype headSize)
{
    const AVStream *stream = audioStream();
    if (!stream)
        return std::nullopt;
    AVPacket *packet = av_packet_alloc();
    std::optional<Packet> found;
    // A bounded look: interleaved video or data packets may come first.
    for (int i = 0; i < 64 && packet && av_read_frame(m_context, packet) >= 0; ++i) {
        if (packet->stream_index == stream->index) {
            const qsizetype length = std::min<qsizetype>(headSize, packet->size);
            found = Packet{packet->pos,
                           QByteArray(reinterpret_cast<const char *>(packet->data), length)};
        }
        av_packet_unref(packet);
        if (found)
            break;
    }
    av_packet_free(&packet);
    return found;
}

} // namespace brivello
