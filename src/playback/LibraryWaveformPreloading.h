#pragma once

#include "playback/WaveformPreloadQueue.h"
#include "records/Track.h"

#include <QList>
#include <QUuid>

namespace brivello {

class LibraryStore;

// Hands the store's files to the waveform preload queue around playback: the shown track and
// the two after it in the active section go to the front. Main thread; stateless.
class LibraryWaveformPreloading
{
public:
    // The active section's tracks; converter items become the library track of the same
    // standardised path, or a new record when the library has none.
    static QList<Track> activeSectionTracks(const LibraryStore &store);
    // Nothing when the track is not in the active section's list. The queue is reached on a
    // later turn of the event loop (if it still exists), with the lists as they are now.
    static void
    prioritizeWaveformsForPlayback(const LibraryStore &store,
                                   const QUuid &trackID,
                                   WaveformPreloadQueue &queue = WaveformPreloadQueue::shared());
    static constexpr int kFollowingCount = 2;
};

} // namespace brivello
