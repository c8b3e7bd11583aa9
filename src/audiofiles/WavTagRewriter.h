#pragma once

#include "ArtworkChange.h"
#include "RewritePlan.h"
#include "records/AudioTags.h"

namespace brivello {

class ByteSource;

// Plans the rewrite of a RIFF/WAVE file: other chunks kept, a new LIST-INFO (unmanaged INFO
// fields carried over) and an "id3 " chunk when a picture or unmanaged frames need one.
// Pure; any thread.
class WavTagRewriter
{
public:
    // Throws WriteError (unsupportedFormat, corrupt, tooLarge) and leaves nothing behind.
    static RewritePlan
    plan(const ByteSource &source, const AudioTags &tags, const ArtworkChange &artwork);

    // LIST payload: "INFO", the managed fields, then `kept` sub-chunks; empty when none.
    static QByteArray infoPayload(const AudioTags &tags, const QList<QByteArray> &kept = {});
};

} // namespace brivello
