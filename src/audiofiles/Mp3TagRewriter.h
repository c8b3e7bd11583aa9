#pragma once

#include "ArtworkChange.h"
#include "RewritePlan.h"
#include "records/AudioTags.h"

namespace brivello {

class ByteSource;

// Plans the rewrite of an MP3: a new ID3v2.3 tag in front (frames it does not manage carried
// over), the audio copied as it stands, a trailing ID3v1 block dropped. Pure; any thread.
class Mp3TagRewriter
{
public:
    // Throws WriteError (unsupportedFormat, corrupt, tooLarge) and leaves nothing behind.
    static RewritePlan
    plan(const ByteSource &source, const AudioTags &tags, const ArtworkChange &artwork);
};

} // namespace brivello
