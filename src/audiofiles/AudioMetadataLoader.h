#pragma once

#include "LoadedTrackMetadata.h"

#include <QUrl>
#include <qcoro/qcorotask.h>

namespace brivello {

// Reads tags, duration, picture, bit rate and bit depth of one audio file: libavformat for the
// streams and duration, TagLib for the tags. Never fails: what cannot be read keeps the
// fallback tags, a zero or no picture. Stateless.
class AudioMetadataLoader
{
public:
    // Runs the reading on the thread pool; resumes on the caller's thread.
    static QCoro::Task<LoadedTrackMetadata> load(QUrl url, AudioTags fallbackTags);

    // The reading itself; blocks the calling thread on file access, so never the main thread.
    static LoadedTrackMetadata read(const QUrl &url, const AudioTags &fallbackTags);
};

} // namespace brivello
