#include "ByteSource.h"

#include "WriteError.h"

#include <cstring>

namespace brivello {

QByteArray ByteSource::read(qint64 offset, qint64 length) const
{
    if (!contains(offset, length))
        throw WriteError::corrupt();
    QByteArray bytes(length, Qt::Uninitialized);
    readInto(offset, bytes.data(), length);
    return bytes;
}

void MemoryByteSource::readInto(qint64 offset, char *buffer, qint64 length) const
{
    if (!contains(offset, length))
        throw WriteError::corrupt();
    if (length > 0)
        std::memcpy(buffer, m_bytes.constData() + offset, static_cast<size_t>(length));
}

} // namespace brivello
