// AudioPlayer: the transport calls of the base player, which holds no audio.
#include "library/AudioPlayer.h"

namespace brivello {

std::optional<Track> AudioPlayer::currentTrack() const
{
    return std::nullopt;
}

bool AudioPlayer::isPlaying() const
{
    return false;
}

void AudioPlayer::start(const Track &track)
{
    if (currentID() != track.id)
        play(track);
}

void AudioPlayer::toggle() {}

void AudioPlayer::seekBy(double) {}

} // namespace brivello
