#include "SilentAudioPlayer.h"

namespace brivello {

void SilentAudioPlayer::play(const Track &track)
{
    setCurrentID(track.id);
}

void SilentAudioPlayer::start(const Track &track)
{
    if (currentID() != track.id)
        play(track);
}

void SilentAudioPlayer::stopAndClear()
{
    setCurrentID(std::nullopt);
}

void SilentAudioPlayer::setCurrentID(std::optional<QUuid> id)
{
    if (m_currentID == id)
        return;
    m_currentID = id;
    emit currentIDChanged();
}

void SilentAudioPlayer::setVolume(float volume)
{
    if (volume == m_volume)
        return;
    m_volume = volume;
    emit volumeChanged();
}

} // namespace brivello
