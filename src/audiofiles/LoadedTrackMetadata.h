#pragma once

#include "records/AudioTags.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace brivello {

// What one metadata load returns. Numbers are 0 and the picture absent when nothing gave them.
struct LoadedTrackMetadata
{
    AudioTags tags;
    double duration = 0;
    std::optional<QByteArray> artworkData; // the embedded picture's bytes, undecoded
    double bitRate = 0;                    // bits per second
    qint64 bitDepth = 0;                   // bits per sample; 0 for lossy codecs
    QString format;                        // upper-cased file extension
};

} // namespace brivello
