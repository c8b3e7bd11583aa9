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
    // Each dropped item is an import of its own, as when the items arrive one by one.
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            store.importer().importURLs({url});
    }
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
