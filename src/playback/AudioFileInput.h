#pragma once

#include "audiofiles/FileDescriptorIO.h"

#include <QByteArray>
#include <memory>

struct AVFormatContext;

struct AVStream;

namespace brivello {

// An audio file opened for playback: libavformat reads it through a file descriptor with
// plain read(2) calls, never a memory mapping, so a file truncated or deleted by another
// program while it plays gives a short read or an end, not a fault. One thread at a time.
class AudioFileInput
{
public:
    ~AudioFileInput();
    AudioFileInput(const AudioFileInput &) = delete;
    AudioFileInput &operator=(const AudioFileInput &) = delete;

    // Nothing when the file cannot be opened or holds no audio stream.
    static std::unique_ptr<AudioFileInput> open(const QByteArray &nativePath);

    AVFormatContext *context() const { return m_context; }
    AVStream *stream() const { return m_stream; }
    // Seconds, or 0 when the file states no finite duration.
    double duration() const;

private:
    AudioFileInput() = default;

    std::unique_ptr<FileDescriptorIO> m_io;
    AVFormatContext *m_context = nullptr;
    AVStream *m_stream = nullptr;
};

} // namespace brivello
