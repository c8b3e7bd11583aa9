#include "PlaylistDrops.h"

#include "OpenPanels.h"
#include "library/DroppedFiles.h"
#include "library/TrackImporter.h"

namespace brivello {

bool PlaylistDrops::importDroppedFilesIntoPlaylist(LibraryStore &store, const QMimeData *mime)
{
    const QList<QUrl> files = droppedFileURLs(mime);
    importDroppedFilesIntoPlaylist(store, files);
    return !files.isEmpty();
}

void PlaylistDrops::importDroppedFilesIntoPlaylist(LibraryStore &store, const QList<QUrl> &urls)
{
    // One import for the whole drop: its status then counts every track the drop added,
    // not only those of the item whose import happened to finish last.
    QList<QUrl> files;
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            files.append(url);
    }
    if (!files.isEmpty())
        store.importer().importURLs(files);
}

void PlaylistDrops::receiveDroppedTracks(
    LibraryStore &store,
    const QList<QUrl> &urls,
    LibraryStore::LibraryTab tab,
    const std::function<void(LibraryStore::LibraryTab)> &activateTab)
{
    if (urls.isEmpty())
        return;
    OpenPanels::importIntoSection(store, tab, urls);
    if (activateTab)
        activateTab(tab);
}

} // namespace brivello
