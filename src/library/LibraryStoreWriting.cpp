// The store's tag write path: single edits and batches, each file under its write lock.
#include "LibraryStore.h"
#include "audiofiles/MetadataWriteCoordinator.h"
#include "audiofiles/WriteError.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/Scheduler.h"

#include <QPointer>

namespace brivello {

void LibraryStore::save(const AudioTags &tags, const QUuid &trackID)
{
    const auto found = std::find_if(m_tracks.cbegin(), m_tracks.cend(), [&](const Track &track) {
        return track.id == trackID;
    });
    if (found == m_tracks.cend())
        return;
    const qsizetype index = found - m_tracks.cbegin();
    QList<Track> tracks = m_tracks;
    tracks[index].tags = tags;
    setTracks(std::move(tracks)); // requests the snapshot save
    NotificationCenter::defaultCenter().post(brivelloTrackMetadataDidChange,
                                             nullptr,
                                             {{kUserInfoTrackID, QVariant::fromValue(trackID)}});
    write(tags, index, false);
}

void LibraryStore::write(const AudioTags &tags, qsizetype index, bool removeArtwork)
{
    writeTrackTags(m_tracks.at(index).id, tags, removeArtwork); // runs on by itself
}

QCoro::Task<> LibraryStore::writeTrackTags(QUuid trackID, AudioTags tags, bool removeArtwork)
{
    QPointer<LibraryStore> self(this);
    co_await Scheduler::yield(); // the task starts after the caller returned
    if (!self)
        co_return;
    const auto found = std::find_if(m_tracks.cbegin(), m_tracks.cend(), [&](const Track &track) {
        return track.id == trackID;
    });
    if (found == m_tracks.cend())
        co_return;
    const QUrl url = found->url;
    QCoro::Task<AudioTags> loaded = tagsOnceLoaded(url, tags);
    tags = co_await loaded;
    try {
        QCoro::Task<> writing = MetadataWriteCoordinator::shared().write(tags, removeArtwork, url);
        co_await std::move(writing);
    } catch (const WriteError &error) {
        if (self)
            self->reportWriteError(error);
    }
}

void LibraryStore::writeBatch(QList<TagWriteItem> items, bool removeArtwork)
{
    if (items.isEmpty())
        return;
    writeBatchAsync(std::move(items), removeArtwork); // runs on by itself
}

QCoro::Task<> LibraryStore::writeBatchAsync(QList<TagWriteItem> items, bool removeArtwork)
{
    QPointer<LibraryStore> self(this);
    // Every item is reserved now, before the first suspension: a rename of a file whose turn
    // has not come yet then writes the tags under the new name itself.
    MetadataWriteCoordinator &coordinator = MetadataWriteCoordinator::shared();
    QList<MetadataWriteCoordinator::Ticket> tickets;
    tickets.reserve(items.size());
    for (const TagWriteItem &item : std::as_const(items))
        tickets.append(coordinator.reserve(item.url, removeArtwork));
    std::optional<WriteError> firstError;
    for (qsizetype position = 0; position < items.size(); ++position) {
        try {
            QCoro::Task<AudioTags> loaded =
                tagsOnceLoaded(items[position].url, items[position].tags);
            items[position].tags = co_await loaded;
            // A named task: GCC 12 destroys temporaries of an awaited expression twice.
            QCoro::Task<> writing =
                coordinator.write(items[position].tags, items[position].url, tickets[position]);
            co_await std::move(writing);
        } catch (const WriteError &error) {
            if (!firstError)
                firstError = error;
        }
        if (position % 8 == 0) // keeps the interface responsive through long batches
            co_await Scheduler::yield();
    }
    if (firstError && self)
        self->reportWriteError(*firstError);
}

void LibraryStore::reportWriteError(const WriteError &error)
{
    if (error.isFileNotFound())
        return;
    setLastError(error.errorDescription());
}

} // namespace brivello
