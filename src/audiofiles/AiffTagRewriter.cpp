#include "AiffTagRewriter.h"

#include "ByteSource.h"
#include "Id3FrameConverter.h"
#include "Id3v2Tag.h"
#include "IffChunks.h"
#include "WriteError.h"

namespace brivello {

namespace {

bool isTextChunk(const QByteArray &id)
{
    return id == "NAME" || id == "AUTH" || id == "(c) " || id == "ANNO" || id == "COMT";
}

bool hasFrame(const std::vector<Id3Frame> &frames, const char *id)
{
    return std::any_of(
        frames.begin(), frames.end(), [id](const Id3Frame &f) { return f.id == id; });
}

} // namespace

RewritePlan
AiffTagRewriter::plan(const ByteSource &source, const AudioTags &tags, const ArtworkChange &artwork)
{
    if (source.size() < 12)
        throw WriteError::unsupportedFormat(QStringLiteral("aiff"));
    const QByteArray header = source.read(0, 12);
    const QByteArray formType = header.mid(8, 4);
    if (!header.startsWith("FORM") || (formType != "AIFF" && formType != "AIFC"))
        throw WriteError::unsupportedFormat(QStringLiteral("aiff"));

    std::vector<IffChunks::Chunk> kept;
    std::vector<Id3Frame> frames;
    QByteArray copyright;
    for (const IffChunks::Chunk &chunk : IffChunks::walk(source, 12, false)) {
        // Readers take the first ID3 chunk of either case: a kept "id3 " would hide the new tag.
        if (chunk.id == "ID3 " || chunk.id == "id3 ") {
            for (const Id3Frame &frame :
                 Id3v2Tag::parseFrames(source.read(chunk.payloadOffset, chunk.length)))
                frames.push_back(frame);
        } else if (isTextChunk(chunk.id)) {
            if (chunk.id == "(c) " && copyright.isEmpty())
                copyright = source.read(chunk.payloadOffset, chunk.length);
        } else {
            kept.push_back(chunk);
        }
    }

    std::vector<Id3Frame> keptFrames = Id3v2Tag::unmanaged(frames, artwork.picturesManaged());
    // The copyright chunk is not shown anywhere; it moves into the tag rather than being lost.
    while (copyright.endsWith('\0'))
        copyright.chop(1);
    if (!copyright.isEmpty() && !hasFrame(keptFrames, "TCOP"))
        keptFrames.push_back({"TCOP", 0, Id3v2Tag::textPayload(QString::fromLatin1(copyright))});

    QByteArray added;
    const QByteArray tag = Id3v2Tag::build(tags, keptFrames, artwork.newPicture(), frames);
    if (!tag.isEmpty())
        added = IffChunks::chunk("ID3 ", tag, false);

    return IffChunks::assemble("FORM", formType, kept, added, false);
}

} // namespace brivello
