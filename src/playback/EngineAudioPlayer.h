#pragma once

#include "library/AudioPlayer.h"
#include "platform/Scheduler.h"
#include "playback/PlaybackSettingsKeys.h"
#include "playback/WaveformPreloadQueue.h"

#include <QPointer>
#include <memory>
#include <optional>

namespace brivello {

class AudioPlaybackEngine;
class Defaults;
class LibraryStore;

// The application's one audio player on the playback engine: the current track, the playing
// state and the volume change only on state changes, the clock (progress()) at 20 Hz while
// playing. Every change of the playing state is told to the store, the waveform preload queue
// and the notification hub in that order. Main thread; owned by the application.
class EngineAudioPlayer : public AudioPlayer
{
    Q_OBJECT
public:
    static constexpr double kTickInterval = 0.05;
    // Seeks jump this long after the call, behind the engine's fade-out.
    static constexpr double kSeekDelay = 0.014;
    static constexpr double kRestartWindow = 0.05;
    static constexpr double kSeekEndWindow = 0.01;

    // The volume is kept in `defaults`; `preloads` (which outlives the player) learns the
    // playing state; the clock ticks and seeks wait on `scheduler`.
    EngineAudioPlayer(std::unique_ptr<AudioPlaybackEngine> engine,
                      Defaults &defaults,
                      WaveformPreloadQueue &preloads = WaveformPreloadQueue::shared(),
                      Scheduler &scheduler = Scheduler::shared(),
                      QObject *parent = nullptr);
    ~EngineAudioPlayer() override;

    std::optional<QUuid> currentID() const override { return m_currentID; }
    std::optional<Track> currentTrack() const override { return m_currentTrack; }
    bool isPlaying() const override { return m_isPlaying; }
    void play(const Track &track) override;
    void start(const Track &track) override;
    void toggle() override;
    void seekBy(double seconds) override;
    void stopAndClear() override;
    void seekTo(double seconds) override;
    void setScrubbing(bool scrubbing) override;
    float volume() const override { return m_volume; }
    void setVolume(float volume) override;

    void setLibraryStore(LibraryStore *store) { m_libraryStore = store; }
    bool isScrubbing() const { return m_isScrubbing; }
    std::optional<double> pendingSeekTarget() const { return m_pendingSeekTarget; }
    // Seeks handed to the engine since the player was made.
    int seekCount() const { return m_seekCount; }
    bool isProgressTimerRunning() const { return m_timer.isPending(); }
    AudioPlaybackEngine &engine() const { return *m_engine; }

private:
    bool loadAudio(const Track &track);
    void cancelPendingSeek();
    void scheduleSeek(double target, bool reportCompletionAtEnd);
    void restartFromBeginning();
    void playLoadedAudio();
    void tick();
    void scheduleProgressTimer();
    void refreshPlaybackPosition();
    void refreshDuration();
    void reportCompletion();
    void publishPlaybackState();
    void handleEngineFailure();
    void setIsPlaying(bool playing);
    void setCurrent(const std::optional<Track> &track);
    bool hasAudio() const;

    std::unique_ptr<AudioPlaybackEngine> m_engine;
    Defaults &m_defaults;
    WaveformPreloadQueue &m_preloads;
    Scheduler &m_scheduler;
    std::optional<QUuid> m_currentID;
    std::optional<Track> m_currentTrack;
    bool m_isPlaying = false;
    float m_volume = kDefaultPlayerVolume;
    QPointer<LibraryStore> m_libraryStore;
    ScheduledWork m_timer;
    ScheduledWork m_seekTask;
    std::optional<double> m_pendingSeekTarget;
    int m_seekCount = 0;
    bool m_isScrubbing = false;
    bool m_didReportCompletion = false;
};

} // namespace brivello
