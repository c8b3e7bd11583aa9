#pragma once

#include <QSet>
#include <QUuid>
#include <qcoro/qcorotask.h>

namespace brivello {

class LibraryStore;

// The tag and file-name cleaner over library tracks, as the settings configure it. An empty
// id set means the active selection. Part of LibraryStore; main thread.
class LibraryCleaner
{
public:
    explicit LibraryCleaner(LibraryStore &store);

    void runConfiguredCleaner();
    // The configured cleaner on `ids` (library tracks); nothing for an empty set.
    void runConfiguredCleaner(const QSet<QUuid> &ids);
    void clearTags(const QSet<QUuid> &ids, bool removeBPMAndKey);
    // Renames under each file's write lock, so it finishes after the pending writes.
    QCoro::Task<> cleanFilenames(QSet<QUuid> ids, bool removeBPMAndKey);

private:
    QCoro::Task<> renameCleanedFiles(QSet<QUuid> ids, bool removeBPMAndKey, bool tagsCleared);

    LibraryStore &m_store;
};

} // namespace brivello
