#pragma once

#include "library/MetadataDestination.h"
#include "records/Track.h"

#include <QList>
#include <QUrl>
#include <functional>

namespace brivello {

class AudioMetadataLoadQueue;
class FileReveal;
class MetadataWriteCoordinator;
class Scheduler;
class Trash;

// The services a LibraryStore works with, handed to its constructor beside its user
// defaults; the parts made over the store (analysis, workspace runs, views) take their
// scheduler and load queue from here too. One left null is the application's shared service
// (the real clock for the scheduler), so a test passes its fakes here. Main thread.
struct LibraryStoreServices
{
    Trash *trash = nullptr;
    MetadataWriteCoordinator *writes = nullptr;
    AudioMetadataLoadQueue *loads = nullptr;
    Scheduler *scheduler = nullptr;
    FileReveal *reveal = nullptr;
    // Takes the metadata loads of imports and restores instead of the load queue when set
    // (tests that only look at what would be read).
    std::function<void(const QList<Track> &, MetadataDestination)> metadataLoads;
    // The waveform preloading: receives, on a later turn of the event loop, the addresses
    // whose waveforms are worth reading ahead (also announced as waveformPreloadRequested).
    std::function<void(const QList<QUrl> &)> waveformPreloads;

    Trash &trashService() const;
    MetadataWriteCoordinator &writeService() const;
    AudioMetadataLoadQueue &loadService() const;
    Scheduler &schedulerService() const;
    FileReveal &revealService() const;
};

} // namespace brivello
