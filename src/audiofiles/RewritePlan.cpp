#include "RewritePlan.h"

#include "ByteSource.h"
#include "WriteError.h"
#include "platform/SafeFileReplace.h"

#include <algorithm>

namespace brivello {

void RewritePlan::appendBytes(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    m_pieces.push_back({bytes, -1, bytes.size()});
    m_total += bytes.size();
}

void RewritePlan::appendRange(qint64 offset, qint64 length)
{
    if (length <= 0)
        return;
    m_pieces.push_back({{}, offset, length});
    m_total += length;
}

void RewritePlan::stream(const ByteSource &source,
                         const std::function<void(const char *, qint64)> &sink) const
{
    QByteArray buffer;
    for (const Piece &piece : m_pieces) {
        if (piece.offset < 0) {
            sink(piece.bytes.constData(), piece.bytes.size());
            continue;
        }
        if (!source.contains(piece.offset, piece.length))
            throw WriteError::corrupt();
        const qint64 wanted = std::min(kCopyPieceSize, piece.length);
        if (buffer.size() < wanted)
            buffer.resize(static_cast<qsizetype>(wanted));
        for (qint64 done = 0; done < piece.length;) {
            const qint64 chunk = std::min<qint64>(wanted, piece.length - done);
            source.readInto(piece.offset + done, buffer.data(), chunk);
            sink(buffer.constData(), chunk);
            done += chunk;
        }
    }
}

void RewritePlan::writeTo(const ByteSource &source, SafeFileReplace &output) const
{
    const int fd = source.fileDescriptor();
    if (fd < 0) {
        stream(source, [&output](const char *data, qint64 size) { output.write(data, size); });
        return;
    }
    for (const Piece &piece : m_pieces) {
        if (piece.offset < 0) {
            output.write(piece.bytes);
        } else if (!source.contains(piece.offset, piece.length)) {
            throw WriteError::corrupt();
        } else {
            output.copyFrom(fd, piece.offset, piece.length);
        }
    }
}

QByteArray RewritePlan::materialize(const ByteSource &source) const
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(m_total));
    stream(source, [&out](const char *data, qint64 size) { out.append(data, size); });
    return out;
}

} // namespace brivello
