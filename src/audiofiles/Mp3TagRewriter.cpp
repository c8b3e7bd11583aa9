#include "Mp3TagRewriter.h"

#include "ByteSource.h"
#include "Id3v2Tag.h"
#include "WriteError.h"

namespace brivello {

RewritePlan
Mp3TagRewriter::plan(const ByteSource &source, const AudioTags &tags, const ArtworkChange &artwork)
{
    const qint64 size = source.size();
    const qint64 tagEnd =
        size >= Id3v2Tag::kHeaderSize ? Id3v2Tag::totalLength(source.read(0, 10)) : 0;
    const qint64 trailer = size >= 128 && source.read(size - 128, 3) == "TAG" ? 128 : 0;
    if (tagEnd > size - trailer)
        throw WriteError::corrupt();

    std::vector<Id3Frame> frames;
    if (tagEnd > 0)
        frames = Id3v2Tag::parseFrames(source.read(0, tagEnd));
    const std::vector<Id3Frame> kept = Id3v2Tag::unmanaged(frames, artwork.picturesManaged());

    RewritePlan plan;
    plan.appendBytes(Id3v2Tag::build(tags, kept, artwork.newPicture(), frames));
    plan.appendRange(tagEnd, size - trailer - tagEnd);
    return plan;
}

} // namespace brivello
