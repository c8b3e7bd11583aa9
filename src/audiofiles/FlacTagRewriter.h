#pragma once

#include "ArtworkChange.h"
#include "RewritePlan.h"
#include "records/AudioTags.h"

namespace brivello {

class ByteSource;

// Plans the rewrite of a FLAC file: blocks kept in order, one VORBIS_COMMENT (vendor "Brivello")
// with the managed fields replaced and the others carried over, pictures after it, the audio
// frames copied. Pure; any thread.
class FlacTagRewriter
{
public:
    // Throws WriteError (unsupportedFormat, corrupt, tooLarge) and leaves nothing behind.
    static RewritePlan
    plan(const ByteSource &source, const AudioTags &tags, const ArtworkChange &artwork);

    // VORBIS_COMMENT body: the managed fields, then `kept`; empty when there is no field.
    // `previous` holds the old file's fields; a managed key whose several values the tags show
    // unchanged keeps them all.
    static QByteArray commentBody(const AudioTags &tags,
                                  const QList<QByteArray> &kept = {},
                                  const QList<QByteArray> &previous = {});
    static QByteArray pictureBody(const QByteArray &picture);
};

} // namespace brivello
