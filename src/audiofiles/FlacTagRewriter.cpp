#include "FlacTagRewriter.h"

#include "ByteOrder.h"
#include "ByteSource.h"
#include "Id3v2Tag.h"
#include "TagValueList.h"
#include "WriteError.h"

#include <QSet>

namespace brivello {

namespace {

constexpr qint64 kMaxBlockSize = 0xFFFFFF;
constexpr int kVorbisComment = 4;
constexpr int kPicture = 6;

struct ManagedField
{
    const char *key;
    QString AudioTags::*field;
};
constexpr ManagedField kManagedFields[] = {
    {"TITLE", &AudioTags::title},
    {"ARTIST", &AudioTags::artist},
    {"ALBUM", &AudioTags::album},
    {"ALBUMARTIST", &AudioTags::albumArtist},
    {"GENRE", &AudioTags::genre},
    {"DATE", &AudioTags::year},
    {"TRACKNUMBER", &AudioTags::track},
    {"COMMENT", &AudioTags::comment},
    {"BPM", &AudioTags::bpm},
    {"INITIALKEY", &AudioTags::musicalKey},
};

// Older spellings the tag reader falls back to when the main key is missing. Dropped only
// when their field is written empty; kept, they would bring a cleared value back.
constexpr ManagedField kFallbackFields[] = {
    {"YEAR", &AudioTags::year},
    {"DESCRIPTION", &AudioTags::comment},
    {"KEY", &AudioTags::musicalKey},
};

bool isManagedField(const QByteArray &field, const AudioTags &tags)
{
    const qsizetype equals = field.indexOf('=');
    const QByteArray key = (equals < 0 ? field : field.left(equals)).toUpper();
    for (const ManagedField &managed : kManagedFields)
        if (key == managed.key)
            return true;
    for (const ManagedField &fallback : kFallbackFields)
        if (key == fallback.key)
            return (tags.*fallback.field).isEmpty();
    return false;
}

// Fields of one VORBIS_COMMENT body, vendor dropped: the unmanaged ones into `fields`, every
// one into `all`. Throws when a length runs past the body.
void readFields(const QByteArray &body,
                const AudioTags &tags,
                QList<QByteArray> &fields,
                QList<QByteArray> &all)
{
    const auto need = [&](qint64 at, qint64 length) {
        if (at < 0 || length < 0 || at + length > body.size())
            throw WriteError::corrupt();
    };
    need(0, 4);
    qint64 pos = 4 + qint64(ByteOrder::readLittle(body, 0, 4));
    need(pos, 4);
    const quint32 count = ByteOrder::readLittle(body, pos, 4);
    pos += 4;
    for (quint32 i = 0; i < count; ++i) {
        need(pos, 4);
        const qint64 length = ByteOrder::readLittle(body, pos, 4);
        need(pos + 4, length);
        const QByteArray field = body.mid(pos + 4, length);
        all << field;
        if (!isManagedField(field, tags) && !fields.contains(field))
            fields << field;
        pos += 4 + length;
    }
}

} // namespace

namespace {

// The old fields of one managed key when their values are to be written back; else empty.
QList<QByteArray>
keptValues(const QList<QByteArray> &previous, const char *key, const QString &value)
{
    const QByteArray prefix = QByteArray(key) + '=';
    QList<QByteArray> fields;
    QStringList values;
    for (const QByteArray &field : previous)
        if (field.left(prefix.size()).toUpper() == prefix) {
            fields << field;
            values << QString::fromUtf8(field.mid(prefix.size()));
        }
    return TagValueList::keepsValues(values, value) ? fields : QList<QByteArray>();
}

} // namespace

QByteArray FlacTagRewriter::commentBody(const AudioTags &tags,
                                        const QList<QByteArray> &kept,
                                        const QList<QByteArray> &previous)
{
    QList<QByteArray> fields;
    for (const ManagedField &managed : kManagedFields) {
        const QString &value = tags.*managed.field;
        if (value.isEmpty())
            continue;
        const QList<QByteArray> old = keptValues(previous, managed.key, value);
        fields +=
            old.isEmpty() ? QList<QByteArray>{QByteArray(managed.key) + '=' + value.toUtf8()} : old;
    }
    fields += kept;
    if (fields.isEmpty())
        return {};
    const auto le32 = [](quint32 value) { return ByteOrder::little(value, 4); };
    QByteArray body = le32(8) + "Brivello" + le32(quint32(fields.size()));
    for (const QByteArray &field : fields) {
        if (body.size() + 4 + field.size() > kMaxBlockSize)
            throw WriteError::tooLarge();
        body += le32(quint32(field.size())) + field;
    }
    return body;
}

QByteArray FlacTagRewriter::pictureBody(const QByteArray &picture)
{
    const QByteArray mime = Id3v2Tag::mimeType(picture);
    const auto be32 = [](quint32 value) { return ByteOrder::big(value, 4); };
    return be32(3) + be32(quint32(mime.size())) + mime + be32(0) + be32(0) + be32(0) + be32(0) +
           be32(0) + be32(quint32(picture.size())) + picture;
}

namespace {

struct Block
{
    int type;
    QByteArray body;    // built here, or
    qint64 offset = -1; // copied from the source
    qint64 length = 0;
};

} // namespace

RewritePlan
FlacTagRewriter::plan(const ByteSource &source, const AudioTags &tags, const ArtworkChange &artwork)
{
    const qint64 size = source.size();
    if (size < 4 || source.read(0, 4) != "fLaC")
        throw WriteError::unsupportedFormat(QStringLiteral("flac"));

    std::vector<Block> kept;
    std::vector<Block> pictures;
    QList<QByteArray> fields;
    QList<QByteArray> previous;
    qint64 offset = 4;
    for (bool last = false; !last;) {
        if (!source.contains(offset, 4))
            throw WriteError::corrupt();
        const QByteArray header = source.read(offset, 4);
        last = quint8(header[0]) & 0x80;
        const int type = quint8(header[0]) & 0x7F;
        const qint64 length = ByteOrder::readBig(header, 1, 3);
        if (!source.contains(offset + 4, length))
            throw WriteError::corrupt();
        if (type == kVorbisComment)
            readFields(source.read(offset + 4, length), tags, fields, previous);
        else if (type != kPicture)
            kept.push_back({type, {}, offset + 4, length});
        else if (!artwork.picturesManaged())
            pictures.push_back({type, {}, offset + 4, length});
        offset += 4 + length;
    }

    const QByteArray comment = commentBody(tags, fields, previous);
    if (!comment.isEmpty())
        kept.push_back({kVorbisComment, comment});
    if (const auto picture = artwork.newPicture())
        pictures.push_back({kPicture, pictureBody(*picture)});
    kept.insert(kept.end(), pictures.begin(), pictures.end());
    if (kept.empty())
        throw WriteError(WriteError::Kind::nothingToWrite);

    RewritePlan plan;
    plan.appendBytes("fLaC");
    for (size_t i = 0; i < kept.size(); ++i) {
        const Block &block = kept[i];
        const qint64 length = block.offset < 0 ? block.body.size() : block.length;
        if (length > kMaxBlockSize)
            throw WriteError::tooLarge();
        const char flags = char(block.type | (i + 1 == kept.size() ? 0x80 : 0));
        plan.appendBytes(flags + ByteOrder::big(quint32(length), 3));
        if (block.offset < 0)
            plan.appendBytes(block.body);
        else
            plan.appendRange(block.offset, block.length);
    }
    plan.appendRange(offset, size - offset);
    return plan;
}

} // namespace brivello
