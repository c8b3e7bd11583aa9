#pragma once

#include "library/AudioPlaybackProgress.h"
#include "records/Track.h"

#include <QObject>
#include <QUuid>
#include <optional>

namespace brivello {

// What the store and the shell ask of the single audio player; main thread. The playback side
// implements it (SilentAudioPlayer until the engine arrives), tests use a recording fake.
class AudioPlayer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The track the player holds (loaded or playing), if any.
    virtual std::optional<QUuid> currentID() const = 0;
    virtual std::optional<Track> currentTrack() const = 0;
    virtual bool isPlaying() const = 0;
    // Loads and plays another track; toggles play/pause for the current one.
    virtual void play(const Track &track) = 0;
    // Like play() but never pauses: the current track keeps playing or resumes.
    virtual void start(const Track &track) = 0;
    // Pauses or resumes the current track.
    virtual void toggle() = 0;
    // Seeks by a signed number of seconds from the current time, clamped to the track.
    virtual void seekBy(double seconds) = 0;
    // Stops, drops the loaded audio and clears the current track.
    virtual void stopAndClear() = 0;
    // Seeks to a time, clamped to the audio; nothing when no audio is loaded.
    virtual void seekTo(double seconds) = 0;
    // While scrubbing the player stops publishing its clock.
    virtual void setScrubbing(bool scrubbing) = 0;
    // 0…1; the player applies and persists it.
    virtual float volume() const = 0;
    virtual void setVolume(float volume) = 0;

    AudioPlaybackProgress &progress() { return m_progress; }

signals:
    void currentIDChanged();
    void isPlayingChanged();
    void volumeChanged();

private:
    AudioPlaybackProgress m_progress;
};

} // namespace brivello
