#include "IffChunks.h"

#include "ByteOrder.h"
#include "ByteSource.h"
#include "RewritePlan.h"
#include "WriteError.h"

namespace brivello {

std::vector<IffChunks::Chunk>
IffChunks::walk(const ByteSource &source, qint64 start, bool littleEndian)
{
    std::vector<Chunk> chunks;
    qint64 offset = start;
    while (offset + 8 <= source.size()) {
        const QByteArray header = source.read(offset, 8);
        const qint64 length = readSize(header, 4, littleEndian);
        if (!source.contains(offset + 8, length))
            throw WriteError::corrupt();
        chunks.push_back({header.left(4), offset + 8, length});
        offset += 8 + length + (length & 1);
    }
    return chunks;
}

std::vector<std::pair<QByteArray, QByteArray>> IffChunks::walkLenient(const QByteArray &bytes,
                                                                      bool littleEndian)
{
    std::vector<std::pair<QByteArray, QByteArray>> chunks;
    qsizetype offset = 0;
    while (offset + 8 <= bytes.size()) {
        const qint64 length = readSize(bytes, offset + 4, littleEndian);
        if (length > bytes.size() - offset - 8)
            break;
        chunks.emplace_back(bytes.mid(offset, 4), bytes.mid(offset + 8, length));
        offset += 8 + length + (length & 1);
    }
    return chunks;
}

QByteArray IffChunks::sizeBytes(quint32 size, bool littleEndian)
{
    return littleEndian ? ByteOrder::little(size, 4) : ByteOrder::big(size, 4);
}

quint32 IffChunks::readSize(const QByteArray &bytes, qsizetype at, bool littleEndian)
{
    return littleEndian ? ByteOrder::readLittle(bytes, at, 4) : ByteOrder::readBig(bytes, at, 4);
}

QByteArray IffChunks::chunk(const QByteArray &id, const QByteArray &payload, bool littleEndian)
{
    if (payload.size() > kMaxSize)
        throw WriteError::tooLarge();
    QByteArray out = id + sizeBytes(quint32(payload.size()), littleEndian) + payload;
    if (payload.size() & 1)
        out += '\0';
    return out;
}

void IffChunks::appendCopied(RewritePlan &plan, const Chunk &chunk, bool littleEndian)
{
    plan.appendBytes(chunk.id + sizeBytes(quint32(chunk.length), littleEndian));
    plan.appendRange(chunk.payloadOffset, chunk.length);
    if (chunk.length & 1) // a missing pad byte at the very end is made good here
        plan.appendBytes(QByteArray(1, '\0'));
}

RewritePlan IffChunks::assemble(const QByteArray &form,
                                const QByteArray &formType,
                                const std::vector<Chunk> &kept,
                                const QByteArray &added,
                                bool littleEndian)
{
    qint64 total = 4 + added.size();
    for (const Chunk &chunk : kept)
        total += paddedSize(chunk.length);
    if (total > kMaxSize)
        throw WriteError::tooLarge();

    RewritePlan plan;
    plan.appendBytes(form + sizeBytes(quint32(total), littleEndian) + formType);
    for (const Chunk &chunk : kept)
        appendCopied(plan, chunk, littleEndian);
    plan.appendBytes(added);
    return plan;
}

} // namespace brivello
