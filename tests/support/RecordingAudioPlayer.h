#pragma once

#include "library/AudioPlayer.h"

#include <QList>

namespace brivello::testing {

// The tests' player: records every transport call and keeps a current track and playing flag,
// which tests may also set directly.
class RecordingAudioPlayer : public AudioPlayer
{
public:
    std::optional<QUuid> currentID() const override { return current; }
    std::optional<Track> currentTrack() const override { return loaded; }
    bool isPlaying() const override { return playing; }
    void play(const Track &track) override
    {
        played.append(track.id);
        current = track.id;
        playing = loaded && loaded->id == track.id ? !playing : true;
        loaded = track;
        emit currentIDChanged();
    }
    void start(const Track &track) override
    {
        started.append(track.id);
        current = track.id;
        loaded = track;
        playing = true;
        emit currentIDChanged();
    }
    void toggle() override
    {
        ++toggles;
        playing = !playing;
    }
    void seekBy(double seconds) override { seeks.append(seconds); }
    void stopAndClear() override
    {
        current.reset();
        ++stops;
    }
    void seekTo(double seconds) override { seeksTo.append(seconds); }
    void setScrubbing(bool value) override { scrubbing.append(value); }
    float volume() const override { return level; }
    void setVolume(float value) override
    {
        level = value;
        emit volumeChanged();
    }
    void setPlaying(bool value)
    {
        playing = value;
        emit isPlayingChanged();
    }

    std::optional<QUuid> current;
    std::optional<Track> loaded;
    bool playing = false;
    QList<QUuid> played;
    QList<QUuid> started;
    QList<double> seeks;
    QList<double> seeksTo;
    QList<bool> scrubbing;
    float level = 1;
    int toggles = 0;
    int stops = 0;
};

} // namespace brivello::testing
