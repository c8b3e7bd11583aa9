#include "EngineAudioPlayer.h"

#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"
#include "platform/LocalFile.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "playback/AudioPlaybackEngine.h"

#include <QFileInfo>
#include <cmath>

namespace brivello {

namespace {

// The persisted volume, clamped; none when the key holds no usable number.
std::optional<float> storedVolume(const Defaults &defaults)
{
    const QVariant value = defaults.value(kPlayerVolumeKey);
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!value.isValid() || !ok || std::isnan(number))
        return std::nullopt;
    return static_cast<float>(std::clamp(number, 0.0, 1.0));
}

} // namespace

EngineAudioPlayer::EngineAudioPlayer(std::unique_ptr<AudioPlaybackEngine> engine,
                                     Defaults &defaults,
                                     WaveformPreloadQueue &preloads,
                                     Scheduler &scheduler,
                                     QObject *parent)
    : AudioPlayer(parent)
    , m_engine(std::move(engine))
    , m_defaults(defaults)
    , m_preloads(preloads)
    , m_scheduler(scheduler)
{
    connect(m_engine.get(), &AudioPlaybackEngine::finished, this, [this] { reportCompletion(); });
    connect(m_engine.get(), &AudioPlaybackEngine::failed, this, [this] { handleEngineFailure(); });
    m_engine->setVolume(m_volume);
    if (const std::optional<float> stored = storedVolume(m_defaults))
        setVolume(*stored);
}

EngineAudioPlayer::~EngineAudioPlayer()
{
    m_timer.cancel();
    m_seekTask.cancel();
}

bool EngineAudioPlayer::hasAudio() const
{
    return m_engine->isOpen();
}

bool EngineAudioPlayer::loadAudio(const Track &track)
{
    // The engine reads through a file descriptor: a file cut short while it plays ends the
    // track instead of faulting a mapping.
    m_engine->close();
    if (!track.url.isLocalFile())
        return false;
    return m_engine->open(LocalFile::nativePath(track.url));
}

void EngineAudioPlayer::play(const Track &track)
{
    cancelPendingSeek();
    if (m_currentID == track.id) {
        AudioPlaybackProgress &clock = progress();
        if (m_isPlaying || clock.duration() <= 0 ||
            clock.currentTime() < clock.duration() - kRestartWindow) {
            toggle();
            return;
        }
        restartFromBeginning();
        return;
    }
    const bool loaded = loadAudio(track);
    if (loaded)
        m_engine->setVolume(m_volume);
    m_didReportCompletion = false;
    setCurrent(track);
    progress().setDuration(loaded ? m_engine->duration() : track.duration);
    progress().setCurrentTime(loaded ? m_engine->position() : 0);
    playLoadedAudio();
}

void EngineAudioPlayer::start(const Track &track)
{
    if (m_currentID != track.id) {
        play(track);
        return;
    }
    if (m_isPlaying)
        return;
    const AudioPlaybackProgress &clock = progress();
    if (clock.duration() > 0 && clock.currentTime() >= clock.duration() - kRestartWindow) {
        restartFromBeginning();
        return;
    }
    playLoadedAudio();
}

// The track stands at its end: it plays again from 0.
void EngineAudioPlayer::restartFromBeginning()
{
    if (hasAudio())
        m_engine->seek(0);
    progress().setCurrentTime(0);
    m_didReportCompletion = false;
    playLoadedAudio();
}

// Plays the loaded audio, if there is any, and publishes the new state.
void EngineAudioPlayer::playLoadedAudio()
{
    if (hasAudio())
        m_engine->play();
    setIsPlaying(hasAudio() && m_engine->isPlaying());
    tick();
    publishPlaybackState();
}

void EngineAudioPlayer::toggle()
{
    if (!hasAudio())
        return;
    cancelPendingSeek();
    if (m_engine->isPlaying()) {
        m_engine->pause();
        progress().setCurrentTime(m_engine->position());
    } else {
        // A reported end leaves the engine at the last frame; resuming starts the track anew.
        if (m_didReportCompletion) {
            m_engine->seek(0);
            progress().setCurrentTime(0);
            m_didReportCompletion = false;
        }
        m_engine->play();
    }
    setIsPlaying(m_engine->isPlaying());
    tick();
    publishPlaybackState();
}

void EngineAudioPlayer::stopAndClear()
{
    cancelPendingSeek();
    m_engine->close();
    m_timer.cancel();
    m_isScrubbing = false;
    m_didReportCompletion = false;
    setCurrent(std::nullopt);
    setIsPlaying(false);
    progress().setCurrentTime(0);
    progress().setDuration(0);
    publishPlaybackState();
}

void EngineAudioPlayer::cancelPendingSeek()
{
    // The engine's own fade is undone by the engine when it is paused or seeks again.
    m_seekTask.cancel();
    m_pendingSeekTarget.reset();
}

void EngineAudioPlayer::seekBy(double seconds)
{
    // Without a known length a target cannot be clamped: the seek would land on 0 and, going
    // forward, report the end of the track.
    if (!hasAudio() || !(m_engine->duration() > 0))
        return;
    // Relative seeks add up while one is still pending.
    const double base = m_pendingSeekTarget.value_or(m_engine->position());
    double target = base + seconds;
    if (!(target >= 0))
        target = 0;
    target = std::min(target, m_engine->duration());
    const bool reportAtEnd =
        seconds > 0 && m_engine->isPlaying() && m_engine->duration() - kSeekEndWindow <= target;
    scheduleSeek(target, reportAtEnd);
}

void EngineAudioPlayer::seekTo(double seconds)
{
    if (!hasAudio() || !(m_engine->duration() > 0))
        return;
    const double target = std::isnan(seconds) ? 0 : std::clamp(seconds, 0.0, m_engine->duration());
    scheduleSeek(target, false);
}

void EngineAudioPlayer::scheduleSeek(double target, bool reportCompletionAtEnd)
{
    if (!hasAudio())
        return;
    m_seekTask.cancel();
    m_pendingSeekTarget = target;
    progress().setCurrentTime(target);
    m_didReportCompletion = false;
    // The engine fades out, jumps and fades back in on the samples themselves.
    m_engine->seek(target);
    ++m_seekCount;
    if (!m_engine->isPlaying()) {
        m_pendingSeekTarget.reset();
        return;
    }
    const std::optional<QUuid> id = m_currentID;
    m_seekTask = m_scheduler.after(kSeekDelay, [this, id, target, reportCompletionAtEnd] {
        if (m_currentID != id)
            return;
        m_pendingSeekTarget.reset();
        if (reportCompletionAtEnd) {
            // The engine stops first: a file holding more audio than it states would
            // otherwise play on behind the reported end.
            m_engine->pause();
            m_engine->seek(target);
            reportCompletion();
            return;
        }
        progress().setCurrentTime(target);
    });
}

void EngineAudioPlayer::setScrubbing(bool scrubbing)
{
    if (scrubbing == m_isScrubbing)
        return;
    m_isScrubbing = scrubbing;
    if (!scrubbing && !m_pendingSeekTarget)
        refreshPlaybackPosition();
}

void EngineAudioPlayer::setVolume(float volume)
{
    // Not clamped here: the panel clamps, and the engine clamps what it applies.
    const bool changed = volume != m_volume;
    m_volume = volume;
    m_engine->setVolume(volume);
    m_defaults.set(kPlayerVolumeKey, static_cast<double>(volume));
    if (changed)
        emit volumeChanged();
}

void EngineAudioPlayer::tick()
{
    m_timer.cancel();
    refreshPlaybackPosition();
    if (m_engine->isPlaying())
        scheduleProgressTimer();
}

void EngineAudioPlayer::scheduleProgressTimer()
{
    m_timer = m_scheduler.after(kTickInterval, [this] {
        refreshPlaybackPosition();
        scheduleProgressTimer();
    });
}

void EngineAudioPlayer::refreshPlaybackPosition()
{
    if (!hasAudio() || m_isScrubbing)
        return;
    refreshDuration();
    // The engine's clock counts the frames the device has played.
    const double position = m_pendingSeekTarget.value_or(m_engine->position());
    if (std::abs(progress().currentTime() - position) > 0.001)
        progress().setCurrentTime(position);
    if (m_isPlaying != m_engine->isPlaying())
        setIsPlaying(m_engine->isPlaying());
}

// The engine corrects a stated length by the decoded audio while it plays.
void EngineAudioPlayer::refreshDuration()
{
    const double length = m_engine->duration();
    if (length != progress().duration())
        progress().setDuration(length);
}

void EngineAudioPlayer::reportCompletion()
{
    if (m_didReportCompletion)
        return;
    m_didReportCompletion = true;
    m_timer.cancel();
    setIsPlaying(false);
    if (hasAudio())
        refreshDuration();
    progress().setCurrentTime(progress().duration());
    publishPlaybackState();
    QVariantMap info;
    info.insert(kUserInfoTrackID, m_currentID ? QVariant(*m_currentID) : QVariant());
    NotificationCenter::defaultCenter().post(brivelloPlaybackDidFinish, this, info);
}

// A decode failure or a lost device stops playback like a pause, without a completion.
void EngineAudioPlayer::handleEngineFailure()
{
    cancelPendingSeek();
    m_timer.cancel();
    progress().setCurrentTime(m_engine->position());
    setIsPlaying(false);
    publishPlaybackState();
    if (m_libraryStore && m_currentTrack) {
        const QString name = QFileInfo(m_currentTrack->url.toLocalFile()).fileName();
        m_libraryStore->showStatus(
            BrivelloLocalization::format(QStringLiteral("Воспроизведение остановлено: %@"), name),
            QStringLiteral("exclamationmark.triangle"),
            WorkspaceStatus::Tone::warning);
    }
}

void EngineAudioPlayer::publishPlaybackState()
{
    if (m_libraryStore)
        m_libraryStore->playbackStateDidChange(m_isPlaying);
    const QUrl url = m_currentTrack ? m_currentTrack->url : QUrl();
    // The queue learns the playing state as it stands when the queued call runs.
    QMetaObject::invokeMethod(
        this,
        [this, url] { m_preloads.setPlaybackActive(m_isPlaying, url); },
        Qt::QueuedConnection);
    NotificationCenter::defaultCenter().post(brivelloPlaybackDidChange, this);
}

void EngineAudioPlayer::setIsPlaying(bool playing)
{
    if (playing == m_isPlaying)
        return;
    m_isPlaying = playing;
    emit isPlayingChanged();
}

void EngineAudioPlayer::setCurrent(const std::optional<Track> &track)
{
    const std::optional<QUuid> id = track ? std::optional<QUuid>(track->id) : std::nullopt;
    m_currentTrack = track;
    if (id == m_currentID)
        return;
    m_currentID = id;
    emit currentIDChanged();
}

} // namespace brivello
