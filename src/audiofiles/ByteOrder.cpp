#include "ByteOrder.h"

namespace brivello {

quint32 ByteOrder::readBig(const QByteArray &bytes, qsizetype at, int count)
{
    quint32 value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

quint32 ByteOrder::readLittle(const QByteArray &bytes, qsizetype at, int count)
{
    quint32 value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

QByteArray ByteOrder::big(quint32 value, int count)
{
    QByteArray out(count, '\0');
    for (int i = 0; i < count; ++i)
        out[count - 1 - i] = char((value >> (8 * i)) & 0xFF);
    return out;
}

QByteArray ByteOrder::little(quint32 value, int count)
{
    QByteArray out(count, '\0');
    for (int i = 0; i < count; ++i)
        out[i] = char((value >> (8 * i)) & 0xFF);
    return out;
}

} // namespace brivello
