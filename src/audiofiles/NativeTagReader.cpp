#include "NativeTagReader.h"

#include "ByteOrder.h"
#include "ByteSource.h"
#include "Id3FrameConverter.h"
#include "Id3v2Tag.h"
#include "IffChunks.h"
#include "TagValueList.h"
#include "WriteError.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <functional>
#include <taglib/id3v1genres.h>

namespace brivello {

namespace {

// Visits every whole chunk after the 12-byte form header; stops at one that runs past the end.
void visitChunks(const ByteSource &source,
                 bool littleEndian,
                 const std::function<void(const QByteArray &, qint64, qint64)> &visit)
{
    qint64 offset = 12;
    while (source.contains(offset, 8)) {
        const QByteArray header = source.read(offset, 8);
        const qint64 length = IffChunks::readSize(header, 4, littleEndian);
        if (!source.contains(offset + 8, length))
            return;
        visit(header.left(4), offset + 8, length);
        offset += 8 + length + (length & 1);
    }
}

std::optional<QByteArray> id3Bytes(const ByteSource &source, NativeTagReader::Container container)
{
    if (container == NativeTagReader::Container::mp3) {
        if (!source.contains(0, Id3v2Tag::kHeaderSize))
            return std::nullopt;
        const qint64 length = Id3v2Tag::totalLength(source.read(0, Id3v2Tag::kHeaderSize));
        if (length == 0)
            return std::nullopt;
        return source.read(0, std::min(length, source.size()));
    }
    const bool wav = container == NativeTagReader::Container::wav;
    if (!source.contains(0, 12) || source.read(0, 4) != (wav ? "RIFF" : "FORM"))
        return std::nullopt;
    std::optional<QByteArray> tag;
    visitChunks(source, wav, [&](const QByteArray &id, qint64 offset, qint64 length) {
        if (!tag && (id == "id3 " || id == "ID3 "))
            tag = source.read(offset, length);
    });
    return tag;
}

// TCON may name ID3v1 genres by number: "17", "(17)", "(17)Rock", "(RX)", "(CR)".
QString genreName(const QString &value)
{
    static const QRegularExpression reference(QStringLiteral("^\\((\\d+|RX|CR)\\)(.*)$"));
    const QRegularExpressionMatch match = reference.match(value);
    QString number = value;
    if (match.hasMatch()) {
        if (!match.captured(2).isEmpty())
            return match.captured(2);
        number = match.captured(1);
    }
    if (number == QLatin1String("RX"))
        return QStringLiteral("Remix");
    if (number == QLatin1String("CR"))
        return QStringLiteral("Cover");
    bool isNumber = false;
    const int index = number.toInt(&isNumber);
    if (!isNumber)
        return value;
    const TagLib::String name = TagLib::ID3v1::genre(index);
    return name.isEmpty() ? value : QString::fromUtf8(name.toCString(true));
}

struct TextField
{
    const char *id;
    QString AudioTags::*field;
};
constexpr TextField kTextFields[] = {
    {"TIT2", &AudioTags::title},
    {"TPE1", &AudioTags::artist},
    {"TALB", &AudioTags::album},
    {"TPE2", &AudioTags::albumArtist},
    {"TCON", &AudioTags::genre},
    {"TRCK", &AudioTags::track},
    {"TBPM", &AudioTags::bpm},
    {"TKEY", &AudioTags::musicalKey},
};

void putIfNonEmpty(QString &field, const QString &value)
{
    if (!value.isEmpty())
        field = value;
}

// A comment without a description is the one shown; others belong to other programs.
std::optional<QString> plainComment(const Id3Frame &frame)
{
    if (frame.id != "COMM" || frame.payload.size() < 4)
        return std::nullopt;
    const quint8 encoding = quint8(frame.payload[0]);
    qsizetype pos = 4;
    if (!Id3FrameConverter::readString(frame.payload, pos, encoding).isEmpty())
        return std::nullopt;
    return Id3FrameConverter::readString(frame.payload, pos, encoding);
}

// APIC: encoding, MIME type, picture type, description, data.
std::optional<std::pair<int, QByteArray>> picture(const Id3Frame &frame)
{
    if (frame.id != "APIC" || frame.payload.size() < 2)
        return std::nullopt;
    const quint8 encoding = quint8(frame.payload[0]);
    const qsizetype mimeEnd = frame.payload.indexOf('\0', 1);
    if (mimeEnd < 0 || mimeEnd + 1 >= frame.payload.size())
        return std::nullopt;
    const int type = quint8(frame.payload[mimeEnd + 1]);
    qsizetype pos = mimeEnd + 2;
    Id3FrameConverter::readString(frame.payload, pos, encoding);
    return std::make_pair(type, frame.payload.mid(pos));
}

QString chunkText(QByteArray bytes)
{
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// COMT: a count, then per comment a time stamp, a marker id, a length and the text.
QString firstComment(const QByteArray &payload)
{
    if (payload.size() < 10 || ByteOrder::readBig(payload, 0, 2) == 0)
        return {};
    const qsizetype length = ByteOrder::readBig(payload, 8, 2);
    return chunkText(payload.mid(10, length));
}

// v2.3 frames as shown: a compressed one inflated (its 4-byte size leads the zlib data, as
// qUncompress wants it), encrypted and grouped ones left out.
std::vector<Id3Frame> readableFrames(const std::vector<Id3Frame> &frames)
{
    std::vector<Id3Frame> readable;
    for (const Id3Frame &frame : frames) {
        if (frame.flags & 0x60)
            continue;
        if (!(frame.flags & 0x80)) {
            readable.push_back(frame);
            continue;
        }
        // The stated size is believed only as far as a tag could hold it.
        if (frame.payload.size() < 4 ||
            ByteOrder::readBig(frame.payload, 0, 4) > Id3v2Tag::kMaxSize)
            continue;
        if (const QByteArray inflated = qUncompress(frame.payload); !inflated.isEmpty())
            readable.push_back({frame.id, 0, inflated});
    }
    return readable;
}

} // namespace

std::optional<std::vector<Id3Frame>> NativeTagReader::id3Frames(const ByteSource &source,
                                                                Container container)
{
    try {
        const std::optional<QByteArray> tag = id3Bytes(source, container);
        if (!tag)
            return std::nullopt;
        return Id3v2Tag::parseFrames(*tag);
    } catch (const WriteError &) {
        return std::nullopt;
    }
}

void NativeTagReader::applyId3(const std::vector<Id3Frame> &tagFrames,
                               AudioTags &tags,
                               std::optional<QByteArray> &artwork)
{
    const std::vector<Id3Frame> frames = readableFrames(tagFrames);
    for (const TextField &text : kTextFields) {
        const auto frame = std::find_if(
            frames.begin(), frames.end(), [&](const Id3Frame &f) { return f.id == text.id; });
        QStringList values;
        if (frame != frames.end())
            values = Id3v2Tag::textValues(*frame);
        if (text.field == &AudioTags::genre)
            for (QString &value : values)
                value = genreName(value);
        QString value = TagValueList::joined(values);
        if (value.isEmpty()) // tempo and key: TXXX frames of older tools stand in
            value = Id3v2Tag::userTextFallback(frames, text.field);
        putIfNonEmpty(tags.*text.field, value);
    }
    putIfNonEmpty(tags.year, Id3v2Tag::dateText(frames));
    std::optional<std::pair<int, QByteArray>> chosen;
    bool commented = false;
    for (const Id3Frame &frame : frames) {
        if (const auto comment = plainComment(frame); comment && !commented) {
            putIfNonEmpty(tags.comment, *comment);
            commented = true;
        }
        const auto found = picture(frame);
        if (found && (!chosen || (found->first == 3 && chosen->first != 3)))
            chosen = found;
    }
    if (chosen)
        artwork = chosen->second;
}

void NativeTagReader::applyAiffText(const ByteSource &source, AudioTags &tags)
{
    try {
        if (!source.contains(0, 12) || source.read(0, 4) != "FORM")
            return;
        visitChunks(source, false, [&](const QByteArray &id, qint64 offset, qint64 length) {
            if (id == "NAME")
                putIfNonEmpty(tags.title, chunkText(source.read(offset, length)));
            else if (id == "AUTH")
                putIfNonEmpty(tags.artist, chunkText(source.read(offset, length)));
            else if (id == "ANNO")
                putIfNonEmpty(tags.comment, chunkText(source.read(offset, length)));
            else if (id == "COMT")
                putIfNonEmpty(tags.comment, firstComment(source.read(offset, length)));
        });
    } catch (const WriteError &) {
        // A file that fails under us keeps what was read so far.
    }
}

} // namespace brivello
