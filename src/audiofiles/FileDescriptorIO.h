#pragma once

#include <cstdint>
#include <memory>

struct AVIOContext;

namespace brivello {

// A libavformat I/O context over an open file descriptor it owns. Reads at a position of its
// own (pread), so a descriptor duplicated from another never moves the other's offset. Used by
// one thread at a time.
class FileDescriptorIO
{
public:
    // Takes `fd` in every case; null when no buffer or context could be made.
    static std::unique_ptr<FileDescriptorIO> adopt(int fd, int bufferSize);
    ~FileDescriptorIO();
    FileDescriptorIO(const FileDescriptorIO &) = delete;
    FileDescriptorIO &operator=(const FileDescriptorIO &) = delete;

    // Stays this object's: a format context using it must be closed first.
    AVIOContext *context() const { return m_io; }
    int fd() const { return m_fd; }

private:
    explicit FileDescriptorIO(int fd)
        : m_fd(fd)
    {}
    static int readPacket(void *opaque, uint8_t *buffer, int size);
    static int64_t seek(void *opaque, int64_t offset, int whence);

    int m_fd = -1;
    AVIOContext *m_io = nullptr;
    int64_t m_position = 0;
};

} // namespace brivello
