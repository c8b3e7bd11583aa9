#pragma once

#include "records/AudioTags.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace brivello {

class ByteSource;

// Reads the ten text tags and the embedded picture of one file with TagLib; the ID3v2 tag of
// MP3, WAV and AIFF files and AIFF's text chunks through the rewriters' own parsers. Every tag
// format in the file is visited, weakest first (ID3v1, APE, RIFF INFO, AIFF text, ID3v2, Vorbis
// comments, MP4 items); a non-empty value replaces what came before, so the richest format
// wins. Several values of one field are joined with "; ". Stateless.
class AudioTagReader
{
public:
    struct Result
    {
        AudioTags tags;
        std::optional<QByteArray> picture;
    };

    // Unreadable files and fields give back the fallback's values and no picture.
    static Result read(const QString &path, const AudioTags &fallbackTags);
    // The same from a file the caller holds open; `path` names its type by the extension.
    static Result read(const ByteSource &file, const QString &path, const AudioTags &fallbackTags);
};

} // namespace brivello
