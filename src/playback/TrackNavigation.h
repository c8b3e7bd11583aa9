#pragma once

#include <QList>
#include <QUuid>
#include <optional>

namespace brivello {

class AudioPlayer;
class LibraryStore;
struct Track;

// Playing tracks of the list the user is looking at: stepping with the previous/next
// hotkeys, play or pause of the focused track, and the track after one that ended (no wrap,
// no shuffle: the end of the list ends playback). Main thread; owned by the main window.
class TrackNavigation
{
public:
    TrackNavigation(LibraryStore &store, AudioPlayer &player);

    // Focuses and plays the visible track `offset` rows from the focus (or the playing track).
    void selectAdjacent(int offset);
    // The player panel's previous/next: steps from the playing track (else the focus), no wrap.
    void playAdjacent(int offset);
    // Plays or pauses the focused track, else the player's current one.
    void toggleSelectedTrack();
    // After a track ended: the next visible track becomes the only selection and plays.
    void playNextAfterCompletion();

private:
    void playRow(const QList<Track> &visible, std::optional<int> row);
    void selectOnly(const QUuid &id);
    void focusInFavourites(const QUuid &id);

    LibraryStore &m_store;
    AudioPlayer &m_player;
};

} // namespace brivello
