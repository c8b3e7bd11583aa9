#include "FileDescriptorIO.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace brivello {

std::unique_ptr<FileDescriptorIO> FileDescriptorIO::adopt(int fd, int bufferSize)
{
    std::unique_ptr<FileDescriptorIO> io(new FileDescriptorIO(fd));
    if (fd < 0)
        return nullptr;
    auto *buffer = static_cast<unsigned char *>(av_malloc(bufferSize));
    if (!buffer)
        return nullptr;
    io->m_io = avio_alloc_context(
        buffer, bufferSize, 0, io.get(), &FileDescriptorIO::readPacket, nullptr, &seek);
    if (!io->m_io) {
        av_free(buffer);
        return nullptr;
    }
    return io;
}

FileDescriptorIO::~FileDescriptorIO()
{
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
    if (m_fd >= 0)
        ::close(m_fd);
}

int FileDescriptorIO::readPacket(void *opaque, uint8_t *buffer, int size)
{
    auto *self = static_cast<FileDescriptorIO *>(opaque);
    while (true) {
        const ssize_t got =
            ::pread(self->m_fd, buffer, static_cast<size_t>(size), self->m_position);
        if (got > 0) {
            self->m_position += got;
            return static_cast<int>(got);
        }
        if (got == 0)
            return AVERROR_EOF;
        if (errno != EINTR)
            return AVERROR(errno);
    }
}

int64_t FileDescriptorIO::seek(void *opaque, int64_t offset, int whence)
{
    auto *self = static_cast<FileDescriptorIO *>(opaque);
    const auto fileSize = [self]() -> int64_t {
        struct stat info;
        return ::fstat(self->m_fd, &info) == 0 ? info.st_size : AVERROR(errno);
    };
    if (whence & AVSEEK_SIZE)
        return fileSize();
    int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        break;
    case SEEK_CUR:
        base = self->m_position;
        break;
    case SEEK_END:
        base = fileSize();
        if (base < 0)
            return base;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (offset < -base)
        return AVERROR(EINVAL);
    self->m_position = base + offset;
    return self->m_position;
}

} // namespace brivello
