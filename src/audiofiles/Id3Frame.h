#pragma once

#include <QByteArray>
#include <QString>

namespace brivello {

// One ID3v2.3 frame: four-letter id, the two flag bytes and the payload as stored.
struct Id3Frame
{
    QByteArray id;
    quint16 flags = 0;
    QByteArray payload;

    bool operator==(const Id3Frame &other) const = default;
};

} // namespace brivello
