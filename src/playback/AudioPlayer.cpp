#include "library/AudioPlayer.h"

namespace brivello {

AudioPlayer::AudioPlayer(QObject *parent)
    : QObject(parent)
{}

std::optional<QUuid> AudioPlayer::currentID() const
{
    return m_currentID;
}

void AudioPlayer::play(const Track &track)
{
    setCurrentID(track.id);
}

void AudioPlayer::stopAndClear()
{
    setCurrentID(std::nullopt);
}

void AudioPlayer::setCurrentID(std::optional<QUuid> id)
{
    if (m_currentID == id)
        return;
    m_currentID = id;
    emit currentIDChanged();
}

} // namespace brivello
