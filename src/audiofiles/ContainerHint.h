#pragma once

#include <QByteArray>
#include <QString>

namespace brivello {

class ByteSource;

// Names the demuxer for a file from its extension, but only when the file's first bytes carry
// that container's signature: a misnamed file gets no name and is probed as before. Saves
// probing every demuxer over a large leading tag. Stateless; any thread.
class ContainerHint
{
public:
    struct Hint
    {
        const char *demuxer = nullptr; // libavformat's short name, or nullptr
        bool mp3InfoFrame = false;     // the first MPEG frame carries a CBR "Info" header
    };

    // `lead` holds the file's first bytes past a leading ID3v2 tag (leadBytes()).
    static Hint forFile(const QString &extension, const QByteArray &lead);
    // The first kLeadSize bytes after any ID3v2 tag at the start; empty when unreadable.
    static QByteArray leadBytes(const ByteSource &source);

    static constexpr qint64 kLeadSize = 64;
};

} // namespace brivello
