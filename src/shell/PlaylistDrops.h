#pragma once

#include "library/LibraryStore.h"

#include <QList>
#include <QUrl>
#include <functional>

class QMimeData;

namespace brivello {

// Which import gets dropped files: drops on the playlist and the section buttons. Main
// thread; every store call happens on it.
class PlaylistDrops
{
public:
    // One playlist import of every dropped item that gives a file address. False when none
    // does, so the caller refuses the drop instead of reporting it accepted.
    static bool importDroppedFilesIntoPlaylist(LibraryStore &store, const QMimeData *mime);
    // The same for addresses already collected from a drop.
    static void importDroppedFilesIntoPlaylist(LibraryStore &store, const QList<QUrl> &urls);

    // Files dropped on a section button: one import of the whole list into that section,
    // then the section is shown. An empty list does nothing.
    static void
    receiveDroppedTracks(LibraryStore &store,
                         const QList<QUrl> &urls,
                         LibraryStore::LibraryTab tab,
                         const std::function<void(LibraryStore::LibraryTab)> &activateTab);
};

} // namespace brivello
