#pragma once

#include "audiofiles/FileDescriptorIO.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

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
    // The same over a file the caller holds open: reads a duplicate of `fd` with pread, so
    // neither side moves the other's position and the input may outlive the caller's copy.
    // `path` only names the file for probing.
    static std::unique_ptr<AVFormatInput>
    open(int fd, const QString &path, bool analyse = true, const char *demuxer = nullptr);
    // The analysis open() does with `analyse`; on failure the header's values stand.
    void analyse();

    AVFormatContext *context() const { return m_context; }
    // The first audio stream, or nullptr.
    AVStream *audioStream() const;
    // Seconds, or 0 when the container states no finite duration.
    double duration() const;
    struct Packet
    {
        qint64 position = -1; // in the file; -1 when unknown
        QByteArray head;      // the first bytes asked for, fewer when the packet is shorter
    };
    // The next audio packet, looking past at most 64 packets of other streams; nothing when
    // none comes.
    std::optional<Packet> nextAudioPacket(qsizetype headSize = 0);
    // Where the first audio packet starts in the file, or -1 when unknown. Reads one packet.
    qint64 firstAudioPacketPosition()
    {
        const std::optional<Packet> packet = nextAudioPacket();
        return packet ? packet->position : -1;
    }

private:
    AVFormatInput() = default;

    AVFormatContext *m_context = nullptr;
    // Set only when reading a caller's file; the descriptor is our duplicate.
    std::unique_ptr<FileDescriptorIO> m_io; // opened on a descriptor only
};

} // namespace brivello
