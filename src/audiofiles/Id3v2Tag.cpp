#include "Id3v2Tag.h"

#include "ByteOrder.h"
#include "Id3FrameConverter.h"
#include "TagValueList.h"
#include "WriteError.h"

#include <QDate>
#include <QRegularExpression>
#include <algorithm>

namespace brivello {

namespace {

quint32 synchsafe(const QByteArray &bytes, qsizetype at)
{
    const auto b = [&](int i) { return quint32(quint8(bytes[at + i]) & 0x7F); };
    return (b(0) << 21) | (b(1) << 14) | (b(2) << 7) | b(3);
}

QByteArray undoUnsynchronisation(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out.append(bytes[i]);
        if (quint8(bytes[i]) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0)
            ++i;
    }
    return out;
}

bool isFrameId(const QByteArray &id)
{
    for (char c : id)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

// The text frames the writer owns, in the order it writes them, with their AudioTags field.
struct ManagedText
{
    const char *id;
    QString AudioTags::*field;
};
constexpr ManagedText kManagedText[] = {
    {"TIT2", &AudioTags::title},
    {"TPE1", &AudioTags::artist},
    {"TALB", &AudioTags::album},
    {"TPE2", &AudioTags::albumArtist},
    {"TCON", &AudioTags::genre},
    {"TYER", &AudioTags::year}, // with TDAT and TIME
    {"TRCK", &AudioTags::track},
    {"TBPM", &AudioTags::bpm},
    {"TKEY", &AudioTags::musicalKey},
};

} // namespace

qint64 Id3v2Tag::totalLength(const QByteArray &header)
{
    if (header.size() < kHeaderSize || !header.startsWith("ID3"))
        return 0;
    const bool footer = quint8(header[5]) & 0x10;
    return kHeaderSize + synchsafe(header, 6) + (footer ? 10 : 0);
}

std::vector<Id3Frame> Id3v2Tag::parseFrames(const QByteArray &tag)
{
    if (tag.size() < kHeaderSize || !tag.startsWith("ID3"))
        throw WriteError::corrupt();
    const int major = quint8(tag[3]);
    const quint8 flags = quint8(tag[5]);
    const qint64 size = synchsafe(tag, 6);
    if (major < 2 || major > 4 || size > tag.size() - kHeaderSize)
        throw WriteError::corrupt();
    if (major == 2 && (flags & 0x40)) // v2.2 compression was never defined
        throw WriteError::corrupt();
    QByteArray body = tag.mid(kHeaderSize, size);
    if (major < 4 && (flags & 0x80))
        body = undoUnsynchronisation(body);

    qsizetype start = 0;
    if (major >= 3 && (flags & 0x40)) {
        if (body.size() < 4)
            throw WriteError::corrupt();
        const qint64 extended =
            major == 3 ? 4 + qint64(ByteOrder::readBig(body, 0, 4)) : synchsafe(body, 0);
        if (extended < 4 || extended > body.size())
            throw WriteError::corrupt();
        start = extended;
    }
    body.remove(0, start);
    if (major != 4)
        return parseBody(body, major, false, false);
    // Some writers put plain sizes into v2.4 frames; take whichever reading fits the tag.
    try {
        return parseBody(body, major, flags & 0x80, true);
    } catch (const WriteError &) {
        return parseBody(body, major, flags & 0x80, false);
    }
}

std::vector<Id3Frame>
Id3v2Tag::parseBody(const QByteArray &body, int major, bool unsync, bool synchsafeSizes)
{
    std::vector<Id3Frame> frames;
    const qsizetype headerSize = major == 2 ? 6 : 10;
    qsizetype pos = 0;
    while (pos + headerSize <= body.size()) {
        const QByteArray id = body.mid(pos, major == 2 ? 3 : 4);
        if (body[pos] == 0 || !isFrameId(id))
            break; // padding, or junk after the last frame
        const qint64 size = major == 2       ? ByteOrder::readBig(body, pos + 3, 3)
                            : synchsafeSizes ? synchsafe(body, pos + 4)
                                             : ByteOrder::readBig(body, pos + 4, 4);
        if (size > body.size() - pos - headerSize)
            throw WriteError::corrupt();
        QByteArray payload = body.mid(pos + headerSize, size);
        std::optional<Id3Frame> frame;
        if (major == 2) {
            frame = Id3FrameConverter::fromV22(id, payload);
        } else if (major == 3) {
            frame = Id3Frame{id, quint16(ByteOrder::readBig(body, pos + 8, 2)), payload};
        } else {
            const quint8 status = quint8(body[pos + 8]);
            const quint8 format = quint8(body[pos + 9]);
            if (unsync || (format & 0x02))
                payload = undoUnsynchronisation(payload);
            frame = Id3FrameConverter::fromV24(id, status, format, payload);
        }
        if (frame && !frame->payload.isEmpty())
            frames.push_back(*frame);
        pos += headerSize + size;
    }
    return frames;
}

bool Id3v2Tag::isManaged(const Id3Frame &frame, bool picturesManaged)
{
    for (const ManagedText &text : kManagedText)
        if (frame.id == text.id)
            return true;
    // The date: TYER, TDAT and TIME are written from the year field, the v2.4 TDRC is replaced.
    if (frame.id == "TYER" || frame.id == "TDAT" || frame.id == "TIME" || frame.id == "TDRC")
        return true;
    if (frame.id == "APIC")
        return picturesManaged;
    if (frame.id != "COMM" || frame.payload.size() < 4)
        return false;
    qsizetype pos = 4;
    return Id3FrameConverter::readString(frame.payload, pos, quint8(frame.payload[0])).isEmpty();
}

std::vector<Id3Frame> Id3v2Tag::unmanaged(const std::vector<Id3Frame> &frames, bool picturesManaged)
{
    std::vector<Id3Frame> kept;
    for (const Id3Frame &frame : frames)
        if (!isManaged(frame, picturesManaged) &&
            std::find(kept.begin(), kept.end(), frame) == kept.end())
            kept.push_back(frame);
    return kept;
}

QByteArray Id3v2Tag::textPayload(const QString &value)
{
    return QByteArray(1, '\1') + Id3FrameConverter::utf16WithBom(value);
}

QByteArray Id3v2Tag::commentPayload(const QString &comment)
{
    // The empty description keeps its BOM: readers skip a comment whose description has none.
    return QByteArray("\x01"
                      "eng",
                      4) +
           Id3FrameConverter::utf16WithBom(QString()) + QByteArray(2, '\0') +
           Id3FrameConverter::utf16WithBom(comment);
}

QByteArray Id3v2Tag::mimeType(const QByteArray &artwork)
{
    return artwork.startsWith("\x89PNG") ? QByteArray("image/png") : QByteArray("image/jpeg");
}

QByteArray Id3v2Tag::picturePayload(const QByteArray &artwork)
{
    return QByteArray(1, '\0') + mimeType(artwork) + QByteArray("\0\x03\0", 3) + artwork;
}

void Id3v2Tag::appendFrame(const QByteArray &id,
                           const QByteArray &payload,
                           QByteArray &to,
                           quint16 flags)
{
    const qint64 size = payload.size();
    if (size > kMaxSize || to.size() + 10 + size > kMaxSize)
        throw WriteError::tooLarge();
    to += id + ByteOrder::big(quint32(size), 4) + ByteOrder::big(flags, 2) + payload;
}

QStringList Id3v2Tag::textValues(const Id3Frame &frame)
{
    return Id3FrameConverter::readValues(frame.payload);
}

namespace {

QString firstValue(const std::vector<Id3Frame> &frames, const char *id)
{
    for (const Id3Frame &frame : frames)
        if (frame.id == id) {
            const QStringList values = Id3v2Tag::textValues(frame);
            return values.isEmpty() ? QString() : values.first();
        }
    return {};
}

bool isDigits(const QString &text, qsizetype count)
{
    if (text.size() != count)
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

QString Id3v2Tag::dateText(const std::vector<Id3Frame> &frames)
{
    const QString recorded = firstValue(frames, "TDRC");
    if (!recorded.isEmpty())
        return recorded;
    const QString year = firstValue(frames, "TYER");
    const QString dayMonth = firstValue(frames, "TDAT");
    if (!isDigits(year, 4) || !isDigits(dayMonth, 4))
        return year;
    QString date = year + u'-' + dayMonth.mid(2, 2) + u'-' + dayMonth.left(2);
    const QString time = firstValue(frames, "TIME");
    if (isDigits(time, 4))
        date += u'T' + time.left(2) + u':' + time.mid(2, 2);
    return date;
}

std::vector<Id3Frame> Id3v2Tag::dateFrames(const QString &date)
{
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})(?:-(\\d{2})-(\\d{2})(?:T(\\d{2}):(\\d{2}))?)?$"));
    const QRegularExpressionMatch match = iso.match(date);
    const auto number = [&](int group) { return match.captured(group).toInt(); };
    const QDate day = match.hasCaptured(2) ? QDate(number(1), number(2), number(3)) : QDate();
    const bool timeFits = !match.hasCaptured(4) || (number(4) < 24 && number(5) < 60);
    if (!match.hasMatch() || (match.hasCaptured(2) && (!day.isValid() || !timeFits)))
        return {{"TDRC", 0, textPayload(date)}};
    std::vector<Id3Frame> frames = {{"TYER", 0, textPayload(match.captured(1))}};
    if (match.hasCaptured(2))
        frames.push_back({"TDAT", 0, textPayload(match.captured(3) + match.captured(2))});
    if (match.hasCaptured(4))
        frames.push_back({"TIME", 0, textPayload(match.captured(4) + match.captured(5))});
    return frames;
}

namespace {

// TXXX descriptions older tools keep the tempo and the key under, in the order they count.
struct UserTextField
{
    const char *description;
    const char *standardId;
    QString AudioTags::*field;
};
constexpr UserTextField kUserTextFields[] = {{"BPM", "TBPM", &AudioTags::bpm},
                                             {"INITIALKEY", "TKEY", &AudioTags::musicalKey},
                                             {"KEY", "TKEY", &AudioTags::musicalKey}};

// TXXX: encoding, description, then the value (several, null-separated, in v2.4 style).
std::optional<std::pair<QString, QStringList>> userTextFrame(const Id3Frame &frame)
{
    if (frame.id != "TXXX" || frame.payload.isEmpty())
        return std::nullopt;
    const quint8 encoding = quint8(frame.payload[0]);
    qsizetype pos = 1;
    const QString description = Id3FrameConverter::readString(frame.payload, pos, encoding);
    QStringList values;
    while (pos < frame.payload.size())
        values << Id3FrameConverter::readString(frame.payload, pos, encoding);
    return std::make_pair(description, values);
}

const UserTextField *userTextField(const Id3Frame &frame)
{
    const auto text = userTextFrame(frame);
    if (!text)
        return nullptr;
    for (const UserTextField &field : kUserTextFields)
        if (text->first.compare(QLatin1String(field.description), Qt::CaseInsensitive) == 0)
            return &field;
    return nullptr;
}

// The date frames of the old tag as they stood, when they still say `date` and are v2.3's own.
std::vector<Id3Frame> unchangedDate(const QString &date, const std::vector<Id3Frame> &previous)
{
    std::vector<Id3Frame> frames;
    for (const Id3Frame &frame : previous) {
        if (frame.id == "TDRC")
            return {}; // v2.4's frame: rewritten in v2.3 form where that holds the date
        if (frame.id == "TYER" || frame.id == "TDAT" || frame.id == "TIME")
            frames.push_back(frame);
    }
    if (frames.empty() || !canonicallyEqual(Id3v2Tag::dateText(previous), date))
        return {};
    return frames;
}

// What the reader shows of the old tag for the tempo or key: the standard frame, else TXXX.
QString shownValue(const std::vector<Id3Frame> &previous, const UserTextField &field)
{
    for (const Id3Frame &frame : previous) {
        if (frame.id != field.standardId)
            continue;
        const QString value = TagValueList::joined(Id3v2Tag::textValues(frame));
        if (!value.isEmpty())
            return value;
        break;
    }
    return Id3v2Tag::userTextFallback(previous, field.field);
}

// A tempo or key TXXX of the old tag that an edit of its field would contradict; left as it was
// while the field is.
bool staleUserText(const Id3Frame &frame,
                   const AudioTags &tags,
                   const std::vector<Id3Frame> &previous)
{
    const UserTextField *field = userTextField(frame);
    if (!field)
        return false;
    const QString &value = tags.*field->field;
    return !canonicallyEqual(shownValue(previous, *field), value) &&
           !canonicallyEqual(Id3v2Tag::userText({frame}, QLatin1String(field->description)), value);
}

} // namespace

QString Id3v2Tag::userText(const std::vector<Id3Frame> &frames, const QString &description)
{
    for (const Id3Frame &frame : frames) {
        const auto text = userTextFrame(frame);
        if (text && text->first.compare(description, Qt::CaseInsensitive) == 0)
            return TagValueList::joined(text->second);
    }
    return {};
}

QString Id3v2Tag::userTextFallback(const std::vector<Id3Frame> &frames, QString AudioTags::*field)
{
    for (const UserTextField &candidate : kUserTextFields) {
        if (candidate.field != field)
            continue;
        const QString value = userText(frames, QLatin1String(candidate.description));
        if (!value.isEmpty())
            return value;
    }
    return {};
}

namespace {

QByteArray
managedPayload(const char *id, const QString &value, const std::vector<Id3Frame> &previous)
{
    for (const Id3Frame &frame : previous) {
        if (frame.id != id)
            continue;
        const QStringList values = Id3v2Tag::textValues(frame);
        if (TagValueList::keepsValues(values, value))
            return Id3FrameConverter::textPayload(values);
        break;
    }
    return Id3v2Tag::textPayload(value);
}

} // namespace

QByteArray Id3v2Tag::build(const AudioTags &tags,
                           const std::vector<Id3Frame> &kept,
                           const std::optional<QByteArray> &artwork,
                           const std::vector<Id3Frame> &previous)
{
    QByteArray frames;
    for (const ManagedText &text : kManagedText) {
        const QString &value = tags.*text.field;
        if (value.isEmpty())
            continue;
        if (text.field == &AudioTags::year) {
            std::vector<Id3Frame> date = unchangedDate(value, previous);
            if (date.empty())
                date = dateFrames(value);
            for (const Id3Frame &frame : date)
                appendFrame(frame.id, frame.payload, frames, frame.flags);
        } else {
            appendFrame(text.id, managedPayload(text.id, value, previous), frames);
        }
    }
    if (!tags.comment.isEmpty())
        appendFrame("COMM", commentPayload(tags.comment), frames);
    for (const Id3Frame &frame : kept) {
        if (staleUserText(frame, tags, previous))
            continue;
        appendFrame(frame.id, frame.payload, frames, frame.flags);
    }
    if (artwork)
        appendFrame("APIC", picturePayload(*artwork), frames);
    if (frames.isEmpty())
        return {};
    const qint64 size = frames.size();
    QByteArray header("ID3\x03\x00\x00", 6);
    for (int shift = 21; shift >= 0; shift -= 7)
        header += char((size >> shift) & 0x7F);
    return header + frames;
}

} // namespace brivello
