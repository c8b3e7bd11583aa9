#pragma once

#include "library/FavoriteOrder.h"
#include "records/LibraryTab.h"
#include "records/Track.h"

#include <QCollator>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>
#include <optional>
#include <vector>

namespace brivello {

class LibraryStore;

// The store's sections and selections: each section's list in its shown order, the active
// selection and the selection each section had when the user left it. Reads the store's
// published lists; part of LibraryStore, main thread.
class LibrarySections
{
public:
    struct SelectionState
    {
        QSet<QUuid> ids;
        std::optional<QUuid> focusedID;
    };

    explicit LibrarySections(LibraryStore &store);

    QList<Track> playlistTracks() const;
    // The playlist's members as positions in the library list, in shown order, without
    // copying its tracks; valid until the list is next assigned.
    const QList<qsizetype> &playlistPositions() const;
    // The playlist's ids in shown order, without copying its tracks.
    QList<QUuid> playlistIDs() const;
    QList<Track> favoriteTracks() const;
    QList<Track> coverTracks() const;
    QList<Track> visibleTracks() const;
    QSet<QUuid> activeSelection() const;
    // The active selection without the tracks the active section doesn't show (a filter or an
    // edit hid them, or another section chose them): what commands on the selection act on.
    QSet<QUuid> visibleSelection() const;
    std::optional<Track> selectedTrack() const;
    QList<Track> tracksForSelection(LibraryTab tab) const;
    void rememberSelection(LibraryTab tab);
    SelectionState selectionState(LibraryTab tab);
    const QHash<QString, SelectionState> &selectionStatesByTab() const
    {
        return m_selectionStatesByTab;
    }
    QHash<QString, SelectionState> &selectionStatesByTab() { return m_selectionStatesByTab; }
    // Drops selected tracks the active section no longer shows (after a filter change).
    void pruneSelectionToVisible();
    // Folder path, then file name, natural order (case-insensitive, digits by value).
    static bool playlistFolderOrder(const Track &a, const Track &b);

    // A playlist member's place in the order: its folder's and file name's collation keys, and
    // where it stands among the members in library order (which an appending change keeps).
    struct PlaylistOrderKey
    {
        QUuid id;
        QCollatorSortKey folder;
        QCollatorSortKey name;
        qsizetype member = 0;
    };

private:
    // Calls `visit` with every track the section can select, in library order.
    template <typename Visit> void forEachSelectable(LibraryTab tab, const Visit &visit) const;

    struct PlaylistOrderSignature
    {
        QUuid id;
        QUrl url;
        bool operator==(const PlaylistOrderSignature &other) const = default;
    };

    // Positions of the playlist's members in the library list, in library order.
    QList<qsizetype> playlistMembers() const;
    // Brings the order cache up to the library's members.
    void refreshPlaylistOrder() const;

    LibraryStore &m_store;
    QHash<QString, SelectionState> m_selectionStatesByTab;
    // Playlist order cache: valid while the members' ids, urls and library order are unchanged.
    mutable QList<PlaylistOrderSignature> m_cachedPlaylistOrderSignature;
    mutable QList<QUuid> m_cachedPlaylistOrderIDs;
    mutable std::vector<PlaylistOrderKey> m_cachedPlaylistOrderKeys; // in the same order
    mutable std::optional<quint64> m_cachedPlaylistOrderRevision; // when the members were checked
    mutable quint64 m_cachedPlaylistMembershipRevision = 0;
    mutable QList<qsizetype> m_cachedPlaylistPositions;
    mutable std::optional<quint64> m_cachedPlaylistPositionsRevision;
    mutable quint64 m_cachedPlaylistPositionsMembershipRevision = 0;
    // The ordered list itself, valid while `tracks` was not assigned since.
    mutable QList<Track> m_cachedPlaylistTracks;
    mutable std::optional<quint64> m_cachedPlaylistTracksRevision;
    mutable FavoriteOrder m_favoriteOrder;
};

} // namespace brivello
