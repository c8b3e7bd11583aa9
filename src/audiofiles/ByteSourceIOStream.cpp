#include "ByteSourceIOStream.h"

#include "ByteSource.h"
#include "WriteError.h"

#include <algorithm>

namespace brivello {

ByteSourceIOStream::ByteSourceIOStream(const ByteSource &source, QByteArray name)
    : m_source(source)
    , m_name(std::move(name))
{}

TagLib::ByteVector ByteSourceIOStream::readBlock(unsigned long length)
{
    // As from a file: short at the end, nothing past it or when the read fails.
    const qint64 available = std::max<qint64>(0, m_source.size() - m_position);
    const qint64 count = std::min<qint64>(qint64(length), available);
    if (count <= 0)
        return {};
    TagLib::ByteVector block(static_cast<unsigned int>(count));
    try {
        m_source.readInto(m_position, block.data(), count);
    } catch (const WriteError &) {
        return {};
    }
    m_position += static_cast<long>(count);
    return block;
}

void ByteSourceIOStream::seek(long offset, Position p)
{
    const long base = p == Beginning ? 0 : p == Current ? m_position : length();
    // A position before the start is refused and leaves the stream where it was.
    if (offset >= -base)
        m_position = base + offset;
}

long ByteSourceIOStream::length()
{
    return static_cast<long>(m_source.size());
}

} // namespace brivello
