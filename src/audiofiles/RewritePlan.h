#pragma once

#include <QByteArray>
#include <functional>
#include <vector>

namespace brivello {

class ByteSource;
class SafeFileReplace;

// The new content of a file as a list of pieces: bytes built in memory and ranges copied from
// the original. Parsers produce it; the writer streams it into the temporary file, so the audio
// never has to be held in memory.
class RewritePlan
{
public:
    static constexpr qint64 kCopyPieceSize = 1 << 20;

    void appendBytes(const QByteArray &bytes);
    void appendRange(qint64 offset, qint64 length);

    qint64 totalSize() const { return m_total; }
    bool isEmpty() const { return m_pieces.empty(); }

    // Streams the content piece by piece; ranges are read from `source` in 1 MiB pieces.
    void stream(const ByteSource &source,
                const std::function<void(const char *, qint64)> &sink) const;
    // The same into a temporary file; ranges of a file source are copied by the kernel.
    void writeTo(const ByteSource &source, SafeFileReplace &output) const;
    QByteArray materialize(const ByteSource &source) const;

private:
    struct Piece
    {
        QByteArray bytes;
        qint64 offset = -1; // -1: `bytes` holds the content
        qint64 length = 0;
    };
    std::vector<Piece> m_pieces;
    qint64 m_total = 0;
};

} // namespace brivello
