#pragma once

#include <QString>
#include <memory>

struct AVFormatContext;
struct AVStream;

namespace brivello {

// One audio file opened with libavformat (local files only, logging silenced); closed on
// destruction. Used from one thread at a time.
class AVFormatInput
{
public:
    ~AVFormatInput();
    AVFormatInput(const AVFormatInput &) = delete;
    AVFormatInput &operator=(const AVFormatInput &) = delete;

    // Nothing when the file cannot be opened as media. `analyse` also reads the first packets
    // for stream details the header does not state (as ffprobe does). `demuxer` (a short name)
    // skips probing.
    static std::unique_ptr<AVFormatInput>
    open(const QString &path, bool analyse = true, const char *demuxer = nullptr);
    // The analysis open() does with `analyse`; on failure the header's values stand.
    void analyse();

    AVFormatContext *context() const { return m_context; }
    // The first audio stream, or nullptr.
    AVStream *audioStream() const;
    // Seconds, or 0 when the container states no finite duration.
    double duration() const;
    // Where the first audio packet starts in the file, or -1 when unknown. Reads one packet.
    qint64 firstAudioPacketPosition();

private:
    explicit AVFormatInput(AVFormatContext *context)
        : m_context(context)
    {}
    AVFormatContext *m_context;
};

} // namespace brivello
