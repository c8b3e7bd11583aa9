#include "TrackNavigation.h"

#include "library/AudioPlayer.h"
#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "library/PlaylistSelection.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"

namespace brivello {

TrackNavigation::TrackNavigation(LibraryStore &store, AudioPlayer &player)
    : m_store(store)
    , m_player(player)
{}

void TrackNavigation::selectAdjacent(int offset)
{
    const QList<Track> visible = m_store.sections().visibleTracks();
    const std::optional<QUuid> anchor =
        m_store.selectedID() ? m_store.selectedID() : m_player.currentID();
    playRow(visible, PlaylistSelection::adjacentIndex(idsOf(visible), anchor, offset));
}

void TrackNavigation::playAdjacent(int offset)
{
    const QList<Track> visible = m_store.sections().visibleTracks();
    const std::optional<QUuid> anchor =
        m_player.currentID() ? m_player.currentID() : m_store.selectedID();
    playRow(visible, PlaylistSelection::adjacentIndex(idsOf(visible), anchor, offset));
}

void TrackNavigation::toggleSelectedTrack()
{
    if (const std::optional<Track> selected = m_store.sections().selectedTrack()) {
        m_player.play(*selected);
        return;
    }
    if (const std::optional<QUuid> current = m_player.currentID()) {
        for (const Track &track : m_store.tracks()) {
            if (track.id == *current) {
                m_player.play(track);
                return;
            }
        }
    }
    if (m_player.currentTrack())
        m_player.toggle();
}

void TrackNavigation::playNextAfterCompletion()
{
    const QList<Track> visible = m_store.sections().visibleTracks();
    playRow(visible, PlaylistSelection::nextIndex(idsOf(visible), m_player.currentID()));
}

void TrackNavigation::playRow(const QList<Track> &visible, std::optional<int> row)
{
    if (!row)
        return;
    const Track track = visible.at(*row);
    selectOnly(track.id);
    m_player.play(track);
    focusInFavourites(track.id);
}

void TrackNavigation::selectOnly(const QUuid &id)
{
    m_store.setSelectedID(id);
    m_store.session().scheduleWorkspaceSave();
    m_store.setSelectedIDs({id});
    m_store.session().scheduleWorkspaceSave();
}

void TrackNavigation::focusInFavourites(const QUuid &id)
{
    if (m_store.activeTab() != LibraryStore::LibraryTab::favorites)
        return;
    NotificationCenter::defaultCenter().post(
        brivelloFocusFavoriteTrack, nullptr, {{kUserInfoTrackID, QVariant::fromValue(id)}});
}

} // namespace brivello
