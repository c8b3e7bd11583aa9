#pragma once

#include <QByteArray>

namespace brivello {

// Unsigned fields of 1 to 4 bytes in container and tag headers, read and written byte by byte
// in either order. Callers check that `at + count` lies inside `bytes`.
class ByteOrder
{
public:
    static quint32 readBig(const QByteArray &bytes, qsizetype at, int count);
    static quint32 readLittle(const QByteArray &bytes, qsizetype at, int count);
    // The low `count` bytes of `value`.
    static QByteArray big(quint32 value, int count);
    static QByteArray little(quint32 value, int count);
};

} // namespace brivello
