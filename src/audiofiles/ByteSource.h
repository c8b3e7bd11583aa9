#pragma once

#include <QByteArray>

namespace brivello {

// Random access to the bytes of a file being rewritten. The tag parsers see only this, so the
// fuzz targets can feed them memory and the writers a file read in pieces.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    virtual qint64 size() const = 0;
    // Copies exactly `length` bytes at `offset` into `buffer`; throws WriteError when the range
    // lies outside the source or cannot be read.
    virtual void readInto(qint64 offset, char *buffer, qint64 length) const = 0;

    // The open file behind the source, for copies the kernel makes; -1 for memory.
    virtual int fileDescriptor() const { return -1; }

    QByteArray read(qint64 offset, qint64 length) const;
    bool contains(qint64 offset, qint64 length) const
    {
        return offset >= 0 && length >= 0 && offset <= size() && length <= size() - offset;
    }
};

// A source over bytes in memory (fuzzing, tests).
class MemoryByteSource : public ByteSource
{
public:
    explicit MemoryByteSource(QByteArray bytes)
        : m_bytes(std::move(bytes))
    {}
    qint64 size() const override { return m_bytes.size(); }
    void readInto(qint64 offset, char *buffer, qint64 length) const override;

private:
    QByteArray m_bytes;
};

} // namespace brivello
