#pragma once

#include "library/AudioPlayer.h"

namespace brivello {

// The player until the playback engine exists: it keeps the current track's id and makes no
// sound. Main thread; owned by the application.
class SilentAudioPlayer : public AudioPlayer
{
    Q_OBJECT
public:
    using AudioPlayer::AudioPlayer;

    std::optional<QUuid> currentID() const override { return m_currentID; }
    std::optional<Track> currentTrack() const override { return std::nullopt; }
    bool isPlaying() const override { return false; }
    void play(const Track &track) override;
    void start(const Track &track) override;
    void toggle() override {}
    void seekBy(double) override {}
    void stopAndClear() override;
    void seekTo(double) override {}
    void setScrubbing(bool) override {}
    float volume() const override { return m_volume; }
    void setVolume(float volume) override;

private:
    void setCurrentID(std::optional<QUuid> id);

    std::optional<QUuid> m_currentID;
    float m_volume = 1;
};

} // namespace brivello
