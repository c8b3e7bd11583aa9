#pragma once

#include "support/LibraryStoreFixture.h"

namespace brivello::testing {

// A player that records every transport call and keeps a current track and playing flag.
class RecordingAudioPlayer : public FakeAudioPlayer
{
public:
    std::optional<Track> currentTrack() const override { return loaded; }
    bool isPlaying() const override { return playing; }
    void play(const Track &track) override
    {
        FakeAudioPlayer::play(track);
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

    std::optional<Track> loaded;
    bool playing = false;
    QList<QUuid> started;
    QList<double> seeks;
    int toggles = 0;
};

} // namespace brivello::testing
