#pragma once

#include "records/AudioTags.h"

#include <QList>
#include <QUrl>
#include <QUuid>
#include <qcoro/qcorotask.h>

namespace brivello {

class LibraryStore;
class WriteError;

// The store's tag writes: the store changes first; files are rewritten later, each under its
// write lock, and a failure becomes the store's lastError (a missing file is silent). Part of
// LibraryStore; main thread.
class TagWriting
{
public:
    struct TagWriteItem
    {
        AudioTags tags;
        QUrl url;
    };

    explicit TagWriting(LibraryStore &store);

    void save(const AudioTags &tags, const QUuid &trackID);
    // One file after another; only the first failure is reported, after the last file.
    void writeBatch(QList<TagWriteItem> items, bool removeArtwork);
    QCoro::Task<> writeBatchAsync(QList<TagWriteItem> items, bool removeArtwork);
    // The task behind save(): once the track's pending metadata load is applied, writes the
    // tags and to the address the store holds for the track at that moment.
    QCoro::Task<> writeTrackTags(QUuid trackID, bool removeArtwork);

private:
    void reportWriteError(const WriteError &error);
    // The tags the store now holds for the library file at `url`, else `fallback`.
    AudioTags currentTags(const QUrl &url, const AudioTags &fallback) const;

    LibraryStore &m_store;
};

} // namespace brivello
