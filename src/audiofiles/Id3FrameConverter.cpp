#include "Id3FrameConverter.h"

#include <QHash>
#include <QStringDecoder>

namespace brivello {

namespace {

const QHash<QByteArray, QByteArray> &v22Ids()
{
    static const QHash<QByteArray, QByteArray> ids = {
        {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"},
        {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"LNK", "LINK"}, {"MCI", "MCDI"}, {"MLL", "MLLT"},
        {"PIC", "APIC"}, {"POP", "POPM"}, {"REV", "RVRB"}, {"SLT", "SYLT"}, {"STC", "SYTC"},
        {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"},
        {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"},
        {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"}, {"TOA", "TOPE"},
        {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"},
        {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"},
        {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"},
        {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"},
        {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"},
        {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"}, {"WXX", "WXXX"},
        {"TCP", "TCMP"}, {"TST", "TSOT"}, {"TSP", "TSOP"}, {"TSA", "TSOA"}, {"TS2", "TSO2"},
        {"TSC", "TSOC"}, {"RVA", "RVAD"}, {"EQU", "EQUA"}, {"GP1", "GRP1"}, {"MVN", "MVNM"},
        {"MVI", "MVIN"},
    };
    return ids;
}

// Encoded string fields in front of the binary rest, by frame layout.
enum class Layout { text, userText, comment, userUrl, picture, object, terms, opaque, unknown };

Layout layoutOf(const QByteArray &id)
{
    if (id == "TXXX")
        return Layout::userText;
    if (id.startsWith('T'))
        return Layout::text;
    if (id == "COMM" || id == "USLT")
        return Layout::comment;
    if (id == "WXXX")
        return Layout::userUrl;
    if (id == "APIC")
        return Layout::picture;
    if (id == "GEOB")
        return Layout::object;
    if (id == "USER")
        return Layout::terms;
    if (id == "SYLT" || id == "COMR" || id == "OWNE") // encoded text inside a binary layout
        return Layout::opaque;
    return Layout::unknown;
}

} // namespace

QByteArray Id3FrameConverter::utf16WithBom(const QString &text)
{
    QByteArray out;
    out.reserve(2 + text.size() * 2);
    out.append('\xFF').append('\xFE');
    for (QChar c : text) {
        out.append(static_cast<char>(c.unicode() & 0xFF));
        out.append(static_cast<char>(c.unicode() >> 8));
    }
    return out;
}

QStringList Id3FrameConverter::readValues(const QByteArray &payload)
{
    QStringList values;
    if (payload.isEmpty())
        return values;
    const quint8 encoding = quint8(payload[0]);
    qsizetype pos = 1;
    while (pos < payload.size())
        values << readString(payload, pos, encoding);
    while (!values.isEmpty() && values.last().isEmpty())
        values.removeLast();
    return values;
}

QByteArray Id3FrameConverter::textPayload(const QStringList &values)
{
    QByteArray out(1, '\1');
    for (qsizetype i = 0; i < values.size(); ++i)
        out += (i > 0 ? QByteArray(2, '\0') : QByteArray()) + utf16WithBom(values[i]);
    return out;
}

QByteArray Id3FrameConverter::terminator(quint8 encoding)
{
    return (encoding == 1 || encoding == 2) ? QByteArray(2, '\0') : QByteArray(1, '\0');
}

QString Id3FrameConverter::readString(const QByteArray &payload, qsizetype &pos, quint8 encoding)
{
    const bool wide = encoding == 1 || encoding == 2;
    qsizetype end = pos;
    if (wide) {
        while (end + 1 < payload.size() && (payload[end] != 0 || payload[end + 1] != 0))
            end += 2;
        if (end + 1 >= payload.size())
            end = payload.size();
    } else {
        end = payload.indexOf('\0', pos);
        if (end < 0)
            end = payload.size();
    }
    const QByteArray raw = payload.mid(pos, end - pos);
    pos = std::min(payload.size(), end + (wide ? 2 : 1));
    switch (encoding) {
    case 0:
        return QString::fromLatin1(raw);
    case 1:
        return QStringDecoder(QStringDecoder::Utf16).decode(raw);
    case 2:
        return QStringDecoder(QStringDecoder::Utf16BE).decode(raw);
    default:
        return QString::fromUtf8(raw);
    }
}

std::optional<QByteArray> Id3FrameConverter::v23IdForV22(const QByteArray &id)
{
    const auto found = v22Ids().constFind(id);
    if (found == v22Ids().constEnd())
        return std::nullopt;
    return *found;
}

std::optional<Id3Frame> Id3FrameConverter::fromV22(const QByteArray &id, const QByteArray &payload)
{
    const auto mapped = v23IdForV22(id);
    if (!mapped)
        return std::nullopt;
    if (*mapped != "APIC")
        return Id3Frame{*mapped, 0, payload};
    // PIC: encoding, a three-letter image format, picture type, description, data.
    if (payload.size() < 5)
        return std::nullopt;
    const QByteArray format = payload.mid(1, 3).toLower();
    const QByteArray mime = format == "jpg" ? QByteArray("image/jpeg") : "image/" + format;
    return Id3Frame{"APIC", 0, payload.left(1) + mime + '\0' + payload.mid(4)};
}

std::optional<Id3Frame> Id3FrameConverter::fromV24(const QByteArray &id,
                                                   quint8 statusFlags,
                                                   quint8 formatFlags,
                                                   QByteArray payload)
{
    if (formatFlags & 0x04) // encrypted: the method's owner is unknown here
        return std::nullopt;
    if (formatFlags & 0x40) // group id byte
        payload.remove(0, 1);
    QByteArray dataLength;
    if (formatFlags & 0x01) {
        if (payload.size() < 4)
            return std::nullopt;
        const auto b = [&](int i) { return quint32(quint8(payload[i]) & 0x7F); };
        const quint32 size = (b(0) << 21) | (b(1) << 14) | (b(2) << 7) | b(3);
        dataLength = QByteArray(4, '\0');
        for (int i = 0; i < 4; ++i)
            dataLength[i] = char((size >> (24 - 8 * i)) & 0xFF);
        payload.remove(0, 4);
    }
    if (formatFlags & 0x08) {
        if (dataLength.isEmpty())
            return std::nullopt;
        payload = qUncompress(dataLength + payload);
        if (payload.isEmpty())
            return std::nullopt;
    }
    const auto converted = reencodeV24(id, payload);
    if (!converted)
        return std::nullopt;
    const quint16 status = ((statusFlags & 0x40) ? 0x80 : 0) | ((statusFlags & 0x20) ? 0x40 : 0) |
                           ((statusFlags & 0x10) ? 0x20 : 0);
    return Id3Frame{id, quint16(status << 8), *converted};
}

std::optional<QByteArray> Id3FrameConverter::reencodeV24(const QByteArray &id,
                                                         const QByteArray &payload)
{
    const Layout layout = layoutOf(id);
    if (payload.isEmpty() || layout == Layout::unknown)
        return payload;
    const quint8 encoding = quint8(payload[0]);
    if (encoding > 3)
        return std::nullopt;
    if (layout == Layout::text) // values stay apart, each with its own BOM
        return encoding == 0 ? payload : textPayload(readValues(payload));
    if (encoding < 2)
        return payload;
    if (layout == Layout::opaque)
        return std::nullopt;

    QByteArray out(1, '\1');
    qsizetype pos = 1;
    const auto copyLatin1 = [&] { // a null-terminated Latin-1 field (MIME type)
        const qsizetype end = payload.indexOf('\0', pos);
        const qsizetype stop = end < 0 ? payload.size() : end + 1;
        out += payload.mid(pos, stop - pos);
        pos = stop;
    };
    const auto convertString = [&](bool terminated) {
        out += utf16WithBom(readString(payload, pos, encoding));
        if (terminated)
            out += QByteArray(2, '\0');
    };
    switch (layout) {
    case Layout::userText:
        convertString(true);
        convertString(false);
        break;
    case Layout::comment:
        out += payload.mid(1, 3);
        pos = 4;
        convertString(true);
        convertString(false);
        break;
    case Layout::userUrl:
        convertString(true);
        out += payload.mid(pos);
        break;
    case Layout::picture:
        copyLatin1();
        out += payload.mid(pos, 1);
        ++pos;
        convertString(true);
        out += payload.mid(pos);
        break;
    case Layout::object:
        copyLatin1();
        convertString(true);
        convertString(true);
        out += payload.mid(pos);
        break;
    case Layout::terms:
        out += payload.mid(1, 3);
        pos = 4;
        convertString(false);
        break;
    default:
        return std::nullopt;
    }
    return out;
}

} // namespace brivello
