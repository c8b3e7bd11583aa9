#include "AudioPlayer.h"
#include "library/LibraryStore.h"

namespace brivello {

LibraryStore *AudioPlayer::libraryStore() const
{
    return m_libraryStore.data();
}

void AudioPlayer::setLibraryStore(LibraryStore *store)
{
    m_libraryStore = store;
}

void AudioPlayer::setIsPlaying(bool playing)
{
    if (playing == m_isPlaying)
        return;
    m_isPlaying = playing;
    emit isPlayingChanged();
}

void AudioPlayer::setCurrentTrack(std::optional<Track> track)
{
    const bool changed = track.has_value() != m_currentTrack.has_value() ||
                         (track && m_currentTrack && track->id != m_currentTrack->id);
    m_currentTrack = std::move(track);
    if (changed)
        emit currentTrackChanged();
}

} // namespace brivello
