#pragma once

#include "audiofiles/LoadedTrackMetadata.h"

#include <QCryptographicHash>
#include <QStringList>

namespace brivello::test {

// Everything one metadata read gave, on one line for comparing reads: format, duration, bit
// rate, bit depth, the picture's md5 prefix ("-" for none) and the ten tags joined by "|",
// tab-separated. The corpus check compares these lines; bench_metadata prints them.
class MetadataSummary
{
public:
    static QString line(const LoadedTrackMetadata &loaded)
    {
        QStringList fields;
        for (int i = 0; i < AudioTags::kFieldCount; ++i)
            fields << loaded.tags.field(i);
        const QString picture =
            loaded.artworkData
                ? QString::fromLatin1(
                      QCryptographicHash::hash(*loaded.artworkData, QCryptographicHash::Md5)
                          .toHex()
                          .left(12))
                : QStringLiteral("-");
        return QStringList{loaded.format,
                           QString::number(loaded.duration, 'g', 17),
                           QString::number(loaded.bitRate, 'g', 17),
                           QString::number(loaded.bitDepth),
                           picture,
                           fields.join(QLatin1Char('|'))}
            .join(QLatin1Char('\t'));
    }
};

} // namespace brivello::test
