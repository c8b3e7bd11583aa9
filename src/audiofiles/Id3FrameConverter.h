#pragma once

#include "Id3Frame.h"

#include <QStringList>
#include <optional>

namespace brivello {

// Brings frames of ID3v2.2 and v2.4 tags into v2.3 framing so a rewrite keeps what it does not
// manage: three-letter ids are mapped, text encodings v2.3 lacks (UTF-8, UTF-16BE) become
// UTF-16 with BOM, v2.4 frame flags are undone. Frames that cannot be expressed give nothing.
class Id3FrameConverter
{
public:
    static std::optional<QByteArray> v23IdForV22(const QByteArray &id);
    static std::optional<Id3Frame> fromV22(const QByteArray &id, const QByteArray &payload);
    // `payload` with unsynchronisation already undone; `formatFlags` the second flag byte.
    static std::optional<Id3Frame>
    fromV24(const QByteArray &id, quint8 statusFlags, quint8 formatFlags, QByteArray payload);

    // UTF-16 with a little-endian BOM, no terminator.
    static QByteArray utf16WithBom(const QString &text);
    // Reads one encoded string starting at `pos` (terminated or running to the end) and moves
    // `pos` past its terminator.
    static QString readString(const QByteArray &payload, qsizetype &pos, quint8 encoding);
    static QByteArray terminator(quint8 encoding);
    // The values of a text frame's payload, trailing empty ones left out.
    static QStringList readValues(const QByteArray &payload);
    // A text payload of several values, each UTF-16 with its BOM, separated by a null.
    static QByteArray textPayload(const QStringList &values);

private:
    static std::optional<QByteArray> reencodeV24(const QByteArray &id, const QByteArray &payload);
};

} // namespace brivello
