#include "AudioFileInput.h"

#include "audiofiles/FileDescriptorIO.h"

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

namespace brivello {

namespace {

constexpr int kIOBufferSize = 64 * 1024;

} // namespace

AudioFileInput::~AudioFileInput()
{
    // Before the I/O context it reads through.
    if (m_context)
        avformat_close_input(&m_context);
}

std::unique_ptr<AudioFileInput> AudioFileInput::open(const QByteArray &nativePath)
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });

    std::unique_ptr<AudioFileInput> input(new AudioFileInput);
    input->m_io = FileDescriptorIO::adopt(::open(nativePath.constData(), O_RDONLY | O_CLOEXEC),
                                          kIOBufferSize);
    struct stat info;
    if (!input->m_io || ::fstat(input->m_io->fd(), &info) != 0 || !S_ISREG(info.st_mode))
        return nullptr;
    input->m_context = avformat_alloc_context();
    if (!input->m_context)
        return nullptr;
    input->m_context->pb = input->m_io->context();
    input->m_context->flags |= AVFMT_FLAG_CUSTOM_IO;
    // A failed open frees the context; the AVIO context stays ours.
    if (avformat_open_input(&input->m_context, nullptr, nullptr, nullptr) < 0)
        return nullptr;
    if (avformat_find_stream_info(input->m_context, nullptr) < 0)
        return nullptr;
    const int index = av_find_best_stream(input->m_context, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0)
        return nullptr;
    input->m_stream = input->m_context->streams[index];
    for (unsigned i = 0; i < input->m_context->nb_streams; ++i) {
        if (static_cast<int>(i) != index)
            input->m_context->streams[i]->discard = AVDISCARD_ALL;
    }
    return input;
}

double AudioFileInput::duration() const
{
    double seconds = 0;
    if (m_stream->duration != AV_NOPTS_VALUE)
        seconds = m_stream->duration * av_q2d(m_stream->time_base);
    else if (m_context->duration != AV_NOPTS_VALUE)
        seconds = m_context->duration / double(AV_TIME_BASE);
    return std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

} // namespace brivello
