#pragma once

#include "Id3Frame.h"
#include "records/AudioTags.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace brivello {

class ByteSource;

// Reads, with the writers' own parsers, the tags the writers keep or replace: the ID3v2 tag of
// an MP3 or of a WAV/AIFF chunk, so the reader sees every frame a rewrite would carry over, and
// AIFF's text chunks, which TagLib leaves out. Stateless; any thread.
class NativeTagReader
{
public:
    enum class Container { mp3, wav, aiff };

    // The frames of the file's ID3v2 tag; nothing when there is none or it cannot be parsed.
    static std::optional<std::vector<Id3Frame>> id3Frames(const ByteSource &source,
                                                          Container container);
    // The ten fields and the picture of ID3 frames; a non-empty value replaces the field's.
    static void applyId3(const std::vector<Id3Frame> &frames,
                         AudioTags &tags,
                         std::optional<QByteArray> &picture);
    // NAME, AUTH, ANNO and COMT into title, artist and comment, in file order; a non-empty
    // text replaces the field's.
    static void applyAiffText(const ByteSource &source, AudioTags &tags);
};

} // namespace brivello
