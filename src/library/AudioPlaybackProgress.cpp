#include "AudioPlaybackProgress.h"

namespace brivello {

void AudioPlaybackProgress::setCurrentTime(double seconds)
{
    if (seconds == m_currentTime)
        return;
    m_currentTime = seconds;
    emit currentTimeChanged(seconds);
}

void AudioPlaybackProgress::setDuration(double seconds)
{
    if (seconds == m_duration)
        return;
    m_duration = seconds;
    emit durationChanged(seconds);
}

} // namespace brivello
