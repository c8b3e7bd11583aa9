#pragma once

#include "ArtworkChange.h"
#include "RewritePlan.h"
#include "records/AudioTags.h"

namespace brivello {

class ByteSource;

// Plans the rewrite of a FORM/AIFF or AIFC file: other chunks kept, the text chunks dropped,
// one "ID3 " chunk with the tags, the carried-over frames and the picture. Pure; any thread.
class AiffTagRewriter
{
public:
    // Throws WriteError (unsupportedFormat, corrupt, tooLarge) and leaves nothing behind.
    static RewritePlan
    plan(const ByteSource &source, const AudioTags &tags, const ArtworkChange &artwork);
};

} // namespace brivello
