#pragma once

#include "records/AudioDuplicateGroup.h"
#include "records/Track.h"

#include <QObject>
#include <QSet>
#include <QUuid>
#include <optional>

namespace brivello {

class DuplicateSearch;
class LibraryStore;

// The duplicates section's own workspace in the store: the scope line, a group's tracks,
// moving marked files to the Trash and clearing. Main thread; a child of the store. Imports
// are the store's (importDuplicateSearchURLs).
class DuplicateWorkspace : public QObject
{
    Q_OBJECT
public:
    DuplicateWorkspace(LibraryStore &store, DuplicateSearch &search);
    // The store's own, with its duplicate search, made on first use.
    static DuplicateWorkspace &of(LibraryStore &store);

    QString duplicateSearchScopeTitle() const;
    QList<Track> tracks(const AudioDuplicateGroup &group) const;
    // A file that cannot be moved stays listed, grouped and selected; its error is shown.
    void trashDuplicateTracks(const QSet<QUuid> &ids);
    // The files marked in the card `groupID` (in every card without one), never one no card
    // shows; a file whose move failed is no longer marked. The cards' buttons and the hotkey.
    void trashMarkedTracks(const std::optional<QString> &groupID = std::nullopt);
    // Leaves files alone; a running search finds its results stale and drops them.
    void clearDuplicateWorkspace();

private:
    LibraryStore &m_store;
    DuplicateSearch &m_search;
};

} // namespace brivello
