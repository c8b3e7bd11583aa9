#pragma once

#include <QByteArray>
#include <vector>

namespace brivello {

class ByteSource;
class RewritePlan;

// Chunk walking and writing shared by the RIFF (little-endian sizes) and AIFF (big-endian)
// rewriters. A chunk is an id, a 32-bit payload length, the payload and a pad byte when odd.
class IffChunks
{
public:
    static constexpr qint64 kMaxSize = 0xFFFFFFFFLL;

    struct Chunk
    {
        QByteArray id;
        qint64 payloadOffset = 0;
        qint64 length = 0;
    };

    // Every chunk from `start` while 8 header bytes remain; a trailing fragment shorter than a
    // header is ignored. Throws WriteError::corrupt when a payload runs past the end.
    static std::vector<Chunk> walk(const ByteSource &source, qint64 start, bool littleEndian);
    // The same walk over bytes in memory (sub-chunks of LIST), stopping at the first bad one.
    static std::vector<std::pair<QByteArray, QByteArray>> walkLenient(const QByteArray &bytes,
                                                                      bool littleEndian);

    static QByteArray sizeBytes(quint32 size, bool littleEndian);
    static quint32 readSize(const QByteArray &bytes, qsizetype at, bool littleEndian);
    // Chunk bytes with header and pad byte; throws WriteError::tooLarge past 32 bits.
    static QByteArray chunk(const QByteArray &id, const QByteArray &payload, bool littleEndian);
    // Appends a chunk of the source, copied by range, with a pad byte when odd.
    static void appendCopied(RewritePlan &plan, const Chunk &chunk, bool littleEndian);
    static qint64 paddedSize(qint64 length) { return 8 + length + (length & 1); }
    // The whole file: the `form` header ("RIFF", "FORM") sized over `formType`, the kept chunks
    // and `added`. Throws WriteError::tooLarge past 32 bits.
    static RewritePlan assemble(const QByteArray &form,
                                const QByteArray &formType,
                                const std::vector<Chunk> &kept,
                                const QByteArray &added,
                                bool littleEndian);
};

} // namespace brivello
