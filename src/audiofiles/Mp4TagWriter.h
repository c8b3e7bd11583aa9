#pragma once

#include "records/AudioTags.h"

#include <QString>

namespace brivello {

// Writes the ten fields (and removes the cover when asked) into an MP4/M4A file with TagLib, in
// place on a temporary copy that then replaces the file: every other atom, track and item stays
// as it was. Blocking; a worker thread under the path's write lock.
class Mp4TagWriter
{
public:
    // Freeform items with the exact text of a track or tempo that trkn or tmpo cannot hold.
    static constexpr const char *kTrackItem = "----:com.apple.iTunes:TRACKNUMBER";
    static constexpr const char *kTempoItem = "----:com.apple.iTunes:BPM";

    // False when TagLib cannot take the file (nothing is changed then). Throws WriteError, or
    // SafeFileReplace::Error for the temporary file.
    static bool write(const AudioTags &tags, bool removeArtwork, const QString &path);
};

} // namespace brivello
