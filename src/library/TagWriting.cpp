#include "TagWriting.h"

#include "audiofiles/MetadataWriteCoordinator.h"
#include "audiofiles/WriteError.h"
#include "library/LibraryStore.h"
#include "library/MetadataLoading.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/Scheduler.h"

namespace brivello {

TagWriting::TagWriting(LibraryStore &store)
    : m_store(store)
{}

void TagWriting::save(const AudioTags &tags, const QUuid &trackID)
{
    // A copy: callers may pass a reference into the list this replaces.
    const QUuid id = trackID;
    const auto found = std::find_if(m_store.m_tracks.cbegin(),
                                    m_store.m_tracks.cend(),
                                    [&](const Track &track) { return track.id == id; });
    if (found == m_store.m_tracks.cend())
        return;
    QList<Track> tracks = m_store.m_tracks;
    tracks[found - m_store.m_tracks.cbegin()].tags = tags;
    m_store.setTracks(std::move(tracks)); // requests the snapshot save
    NotificationCenter::defaultCenter().post(
        brivelloTrackMetadataDidChange, nullptr, {{kUserInfoTrackID, QVariant::fromValue(id)}});
    writeTrackTags(id, false); // runs on by itself
}

AudioTags TagWriting::currentTags(const QUrl &url, const AudioTags &fallback) const
{
    for (const Track &track : m_store.m_tracks) {
        if (track.url == url)
            return track.tags;
    }
    return fallback;
}

// The tags are looked up only after the last wait: a metadata load applied during any wait
// merged the file's real tags under the edit, and an edit captured earlier may still hold the
// guesses from the file name.
QCoro::Task<> TagWriting::writeTrackTags(QUuid trackID, bool removeArtwork)
{
    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    const auto find = [this, &trackID] {
        return std::find_if(m_store.m_tracks.cbegin(),
                            m_store.m_tracks.cend(),
                            [&](const Track &track) { return track.id == trackID; });
    };
    co_await Scheduler::yield(); // the task starts after the caller returned
    if (!guard.alive() || find() == m_store.m_tracks.cend())
        co_return;
    QCoro::Task<> settling = m_store.metadataLoading().libraryLoadsSettled(find()->url);
    co_await std::move(settling);
    if (!guard.alive())
        co_return;
    const auto found = find();
    if (found == m_store.m_tracks.cend())
        co_return;
    try {
        QCoro::Task<> writing =
            m_store.m_services.writeService().write(found->tags, removeArtwork, found->url);
        co_await std::move(writing);
    } catch (const WriteError &error) {
        if (guard.alive())
            reportWriteError(error);
    }
}

void TagWriting::writeBatch(QList<TagWriting::TagWriteItem> items, bool removeArtwork)
{
    if (items.isEmpty())
        return;
    writeBatchAsync(std::move(items), removeArtwork); // runs on by itself
}

QCoro::Task<> TagWriting::writeBatchAsync(QList<TagWriting::TagWriteItem> items, bool removeArtwork)
{
    const StoreLifetimeGuard guard = m_store.lifetimeGuard();
    // Every item is reserved now, before the first suspension: a rename of a file whose turn
    // has not come yet then writes the tags under the new name itself.
    MetadataWriteCoordinator &coordinator = m_store.m_services.writeService();
    QList<MetadataWriteCoordinator::Ticket> tickets;
    tickets.reserve(items.size());
    for (const TagWriting::TagWriteItem &item : std::as_const(items))
        tickets.append(coordinator.reserve(item.url, removeArtwork));
    // Once the store is gone nothing vouches for the remaining tags (a load due for them will
    // never be applied): the rest of the batch is withdrawn, not written.
    const auto withdrawFrom = [&](qsizetype position) {
        for (; position < tickets.size(); ++position)
            coordinator.withdraw(tickets[position]);
    };
    std::optional<WriteError> firstError;
    for (qsizetype position = 0; position < items.size(); ++position) {
        QCoro::Task<> settling = m_store.metadataLoading().libraryLoadsSettled(items[position].url);
        co_await std::move(settling);
        if (!guard.alive()) {
            withdrawFrom(position);
            co_return;
        }
        try {
            // A named task: GCC 12 destroys temporaries of an awaited expression twice.
            QCoro::Task<> writing =
                coordinator.write(currentTags(items[position].url, items[position].tags),
                                  items[position].url,
                                  tickets[position]);
            co_await std::move(writing);
        } catch (const WriteError &error) {
            if (!firstError)
                firstError = error;
        }
        if (position % 8 == 0) // keeps the interface responsive through long batches
            co_await Scheduler::yield();
        if (!guard.alive()) {
            withdrawFrom(position + 1);
            co_return;
        }
    }
    if (firstError)
        reportWriteError(*firstError);
}

void TagWriting::reportWriteError(const WriteError &error)
{
    if (error.isFileNotFound())
        return;
    m_store.setLastError(error.errorDescription());
}

} // namespace brivello
