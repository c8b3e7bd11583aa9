#pragma once

#include "Id3Frame.h"
#include "records/AudioTags.h"

#include <QStringList>
#include <optional>
#include <vector>

namespace brivello {

// Reads the frames of an ID3v2.2/2.3/2.4 tag into v2.3 framing and builds the ID3v2.3 tag the
// writers put into MP3 files and WAV/AIFF chunks. Pure functions over bytes; any thread.
class Id3v2Tag
{
public:
    static constexpr qint64 kHeaderSize = 10;
    static constexpr qint64 kMaxSize = (qint64(1) << 28) - 1; // synchsafe 28-bit size

    // Length of the whole tag (header, body, footer) from its first 10 bytes; 0 when the bytes
    // do not begin an ID3v2 tag.
    static qint64 totalLength(const QByteArray &header);

    // Frames of a complete tag, header included. Throws WriteError::corrupt when a frame runs
    // past the tag; ends quietly at padding or at bytes that are no frame id.
    static std::vector<Id3Frame> parseFrames(const QByteArray &tag);

    // Frames the writer rebuilds from AudioTags (and APIC when pictures are managed).
    static bool isManaged(const Id3Frame &frame, bool picturesManaged);
    static std::vector<Id3Frame> unmanaged(const std::vector<Id3Frame> &frames,
                                           bool picturesManaged);

    // The tag: managed text frames, COMM, the kept frames, then APIC for `artwork`. Empty when
    // there is no frame at all. A managed frame of `previous` (the old tag) whose values the
    // tags show unchanged is written back with all its values. Throws WriteError::tooLarge past
    // the 28-bit size.
    static QByteArray build(const AudioTags &tags,
                            const std::vector<Id3Frame> &kept,
                            const std::optional<QByteArray> &artwork,
                            const std::vector<Id3Frame> &previous = {});

    // The values of a text frame; trailing empty ones left out.
    static QStringList textValues(const Id3Frame &frame);
    // The date as one text: TDRC, or TYER with TDAT (DDMM) and TIME (HHMM) as "YYYY-MM-DDTHH:MM".
    static QString dateText(const std::vector<Id3Frame> &frames);
    // TYER, TDAT and TIME for a year, a valid day or a valid minute of one; any other text goes
    // whole into TDRC, which dateText (and other readers) take first, so it reads back as given.
    static std::vector<Id3Frame> dateFrames(const QString &date);
    // The values of the first TXXX frame with `description` (any case), joined; empty if none.
    static QString userText(const std::vector<Id3Frame> &frames, const QString &description);
    // The tempo or key from the TXXX frames older tools write, for a file without TBPM or TKEY.
    static QString userTextFallback(const std::vector<Id3Frame> &frames, QString AudioTags::*field);

    static QByteArray textPayload(const QString &value);
    static QByteArray commentPayload(const QString &comment);
    static QByteArray picturePayload(const QByteArray &artwork);
    static void
    appendFrame(const QByteArray &id, const QByteArray &payload, QByteArray &to, quint16 flags = 0);
    static QByteArray mimeType(const QByteArray &artwork);

private:
    static std::vector<Id3Frame>
    parseBody(const QByteArray &body, int major, bool unsync, bool synchsafeSizes);
};

} // namespace brivello
