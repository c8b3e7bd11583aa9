#include "WavTagRewriter.h"

#include "ByteSource.h"
#include "Id3v2Tag.h"
#include "IffChunks.h"
#include "WriteError.h"

namespace brivello {

namespace {

struct InfoField
{
    const char *id;
    QString AudioTags::*field;
};
constexpr InfoField kInfoFields[] = {
    {"INAM", &AudioTags::title},
    {"IART", &AudioTags::artist},
    {"IPRD", &AudioTags::album},
    {"IGNR", &AudioTags::genre},
    {"ICRD", &AudioTags::year},
    {"ITRK", &AudioTags::track},
    {"ICMT", &AudioTags::comment},
    {"IBPM", &AudioTags::bpm},
    {"IKEY", &AudioTags::musicalKey},
};

bool isManagedInfo(const QByteArray &id, const AudioTags &tags)
{
    for (const InfoField &field : kInfoFields)
        if (id == field.id)
            return true;
    // The reader takes the track from IPRT when ITRK is missing: a cleared track must not
    // come back from it.
    return id == "IPRT" && tags.track.isEmpty();
}

} // namespace

QByteArray WavTagRewriter::infoPayload(const AudioTags &tags, const QList<QByteArray> &keptFields)
{
    QByteArray payload;
    for (const InfoField &field : kInfoFields)
        if (!(tags.*field.field).isEmpty())
            payload += IffChunks::chunk(field.id, (tags.*field.field).toUtf8() + '\0', true);
    for (const QByteArray &kept : keptFields)
        payload += kept;
    return payload.isEmpty() ? QByteArray() : "INFO" + payload;
}

RewritePlan
WavTagRewriter::plan(const ByteSource &source, const AudioTags &tags, const ArtworkChange &artwork)
{
    if (source.size() < 12) // checked apart: read() treats a short file as corrupt
        throw WriteError::unsupportedFormat(QStringLiteral("wav"));
    const QByteArray header = source.read(0, 12);
    if (!header.startsWith("RIFF") || header.mid(8, 4) != "WAVE")
        throw WriteError::unsupportedFormat(QStringLiteral("wav"));

    std::vector<IffChunks::Chunk> kept;
    std::vector<Id3Frame> frames;
    bool hadId3 = false;
    QList<QByteArray> infoFields;
    for (const IffChunks::Chunk &chunk : IffChunks::walk(source, 12, true)) {
        if (chunk.id == "LIST" && chunk.length >= 4 &&
            source.read(chunk.payloadOffset, 4) == "INFO") {
            const QByteArray list = source.read(chunk.payloadOffset + 4, chunk.length - 4);
            for (const auto &[id, payload] : IffChunks::walkLenient(list, true)) {
                const QByteArray field = IffChunks::chunk(id, payload, true);
                if (!isManagedInfo(id, tags) && !infoFields.contains(field))
                    infoFields << field;
            }
        } else if (chunk.id == "id3 " || chunk.id == "ID3 ") {
            hadId3 = true;
            for (const Id3Frame &frame :
                 Id3v2Tag::parseFrames(source.read(chunk.payloadOffset, chunk.length)))
                frames.push_back(frame);
        } else {
            kept.push_back(chunk);
        }
    }

    QByteArray added;
    const QByteArray info = infoPayload(tags, infoFields);
    if (!info.isEmpty())
        added += IffChunks::chunk("LIST", info, true);
    const std::vector<Id3Frame> keptFrames = Id3v2Tag::unmanaged(frames, artwork.picturesManaged());
    // INFO has no album artist, and some DJ software reads only the ID3 chunk of a WAV: the
    // full tag goes there too once the file had one or the album artist needs it.
    const auto picture = artwork.newPicture();
    if (picture || hadId3 || !keptFrames.empty() || !tags.albumArtist.isEmpty()) {
        const QByteArray tag = Id3v2Tag::build(tags, keptFrames, picture, frames);
        if (!tag.isEmpty())
            added += IffChunks::chunk("id3 ", tag, true);
    }

    return IffChunks::assemble("RIFF", "WAVE", kept, added, true);
}

} // namespace brivello
