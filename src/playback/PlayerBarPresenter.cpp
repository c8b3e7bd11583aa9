#include "PlayerBarPresenter.h"

#include "library/AudioPlayer.h"
#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "playback/LibraryWaveformPreloading.h"
#include "playback/WaveformTint.h"
#include "waveform/WaveformCache.h"

#include <QFileInfo>
#include <QPointer>
#include <cmath>

namespace brivello {

PlayerBarPresenter::PlayerBarPresenter(LibraryStore &store, AudioPlayer &player, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_player(player)
    , m_navigation(store, player)
    , m_cache(&WaveformCache::shared())
{
    AudioPlaybackProgress &progress = m_player.progress();
    m_displayedCurrentTime = progress.currentTime();
    m_displayedDuration = progress.duration();
    connect(&progress, &AudioPlaybackProgress::currentTimeChanged, this, [this](double seconds) {
        m_displayedCurrentTime = seconds;
        emit timeChanged();
    });
    connect(&progress, &AudioPlaybackProgress::durationChanged, this, [this](double seconds) {
        m_displayedDuration = seconds;
        emit timeChanged();
    });
    connect(
        &m_player, &AudioPlayer::currentIDChanged, this, &PlayerBarPresenter::refreshShownTrack);
    connect(&m_player, &AudioPlayer::isPlayingChanged, this, &PlayerBarPresenter::changed);
    connect(&m_player, &AudioPlayer::volumeChanged, this, &PlayerBarPresenter::volumeChanged);
    connect(&m_store, &LibraryStore::tracksChanged, this, &PlayerBarPresenter::refreshShownTrack);
    connect(
        &m_store, &LibraryStore::selectedIDChanged, this, &PlayerBarPresenter::refreshShownTrack);
    connect(
        &m_store, &LibraryStore::activeTabChanged, this, &PlayerBarPresenter::refreshShownTrack);
    refreshShownTrack();
}

PlayerBarPresenter::~PlayerBarPresenter()
{
    m_volumeHide.cancel();
    cancelWaveformLoad();
}

double PlayerBarPresenter::minimumHeight(double layoutControlsTopInset, double waveformHeight)
{
    return layoutControlsTopInset + std::max(kMinimumPanelHeight, waveformHeight + kChromeHeight);
}

double PlayerBarPresenter::resolvedHeight(std::optional<double> panelHeight,
                                          double layoutControlsTopInset,
                                          double waveformHeight)
{
    const double minimum = minimumHeight(layoutControlsTopInset, waveformHeight);
    return panelHeight ? std::max(minimum, *panelHeight) : minimum;
}

double PlayerBarPresenter::waveformRowHeight(double resolvedHeight,
                                             double layoutControlsTopInset,
                                             double waveformHeight)
{
    return std::max(waveformHeight, resolvedHeight - kChromeHeight - layoutControlsTopInset);
}

PlayerBarPresenter::Metrics PlayerBarPresenter::metrics(bool compact)
{
    return compact ? Metrics{42, 180, 88, 12} : Metrics{46, 320, 120, 46};
}

PlayerBarPresenter::TransportHint PlayerBarPresenter::transportHint(const QString &icon)
{
    if (icon == QLatin1String("backward.end.fill"))
        return {QStringLiteral("Предыдущий трек"),
                QStringLiteral("Начинает воспроизведение предыдущего трека."),
                QStringLiteral("hotkeyPreviousTrack")};
    if (icon == QLatin1String("forward.end.fill"))
        return {QStringLiteral("Следующий трек"),
                QStringLiteral("Начинает воспроизведение следующего трека."),
                QStringLiteral("hotkeyNextTrack")};
    if (icon == QLatin1String("gobackward.15"))
        return {QStringLiteral("Перемотать назад"),
                QStringLiteral("Перематывает текущий трек назад."),
                QStringLiteral("hotkeySeekBack")};
    if (icon == QLatin1String("goforward.15"))
        return {QStringLiteral("Перемотать вперёд"),
                QStringLiteral("Перематывает текущий трек вперёд."),
                QStringLiteral("hotkeySeekForward")};
    return {QStringLiteral("Воспроизведение / пауза"),
            QStringLiteral("Запускает или приостанавливает текущий трек."),
            QStringLiteral("hotkeyPlayPause")};
}

int PlayerBarPresenter::volumePercent(double value)
{
    return int(std::lround(value * 100));
}

std::optional<Track> PlayerBarPresenter::track() const
{
    if (const std::optional<QUuid> current = m_player.currentID()) {
        for (const Track &entry : m_store.tracks()) {
            if (entry.id == *current)
                return entry;
        }
    }
    if (std::optional<Track> own = m_player.currentTrack())
        return own;
    return m_store.sections().selectedTrack();
}

QString PlayerBarPresenter::titleText() const
{
    const std::optional<Track> shown = track();
    if (!shown)
        return BrivelloLocalization::string(QStringLiteral("Ничего не воспроизводится"));
    if (!shown->tags.title.isEmpty())
        return shown->tags.title;
    return QFileInfo(shown->url.path()).completeBaseName();
}

QString PlayerBarPresenter::artistText() const
{
    const std::optional<Track> shown = track();
    if (!shown)
        return BrivelloLocalization::string(QStringLiteral("Добавьте трек в плейлист"));
    if (!shown->tags.artist.isEmpty())
        return shown->tags.artist;
    return BrivelloLocalization::string(QStringLiteral("Неизвестный исполнитель"));
}

QString PlayerBarPresenter::detailText() const
{
    const std::optional<Track> shown = track();
    if (!shown)
        return {};
    return shown->format + QStringLiteral(" \u00B7 ") + shown->bitRateText();
}

bool PlayerBarPresenter::isPlaying() const
{
    return m_player.isPlaying();
}

QString PlayerBarPresenter::playIcon() const
{
    return isPlaying() ? QStringLiteral("pause.fill") : QStringLiteral("play.fill");
}

double PlayerBarPresenter::waveformHeight() const
{
    return m_store.settings().waveformHeight();
}

QColor PlayerBarPresenter::waveformColor(bool light) const
{
    const LibrarySettings &settings = m_store.settings();
    return WaveformTint::color(settings.waveformColorPreset(),
                               settings.waveformCustomRed(),
                               settings.waveformCustomGreen(),
                               settings.waveformCustomBlue(),
                               light);
}

double PlayerBarPresenter::waveformProgress() const
{
    if (!(m_displayedDuration > 0))
        return 0;
    return m_displayedCurrentTime / m_displayedDuration;
}

double PlayerBarPresenter::volume() const
{
    return double(m_player.volume());
}

PlayerBarPresenter::WaveformArea PlayerBarPresenter::waveformArea() const
{
    if (!m_shownID)
        return WaveformArea::placeholder;
    if (m_waveformReadyTrackID == m_shownID)
        return WaveformArea::scrubber;
    if (m_envelopeFailedTrackID == m_shownID)
        return WaveformArea::seekablePlaceholder;
    return WaveformArea::loading;
}

void PlayerBarPresenter::setWaveformCache(WaveformCache *cache)
{
    cancelWaveformLoad();
    m_cache = cache ? cache : &WaveformCache::shared();
    m_envelopeFailedTrackID.reset();
    startWaveformLoad();
    emit waveformAreaChanged();
}

void PlayerBarPresenter::refreshShownTrack()
{
    const std::optional<Track> shown = track();
    const std::optional<QUuid> id = shown ? std::optional<QUuid>(shown->id) : std::nullopt;
    if (id != m_shownID) {
        m_shownID = id;
        m_envelopeFailedTrackID.reset();
        // The previous track's id stays ready until the new envelope answers.
        if (!id)
            m_waveformReadyTrackID.reset();
        startWaveformLoad();
        emit waveformAreaChanged();
    }
    std::pair<QStringList, qint64> look{{playIcon()}, 0};
    if (shown) {
        look = {{playIcon(),
                 shown->id.toString(),
                 shown->tags.title,
                 shown->tags.artist,
                 shown->url.toString(),
                 shown->format,
                 shown->bitRateText()},
                shown->artwork.cacheKey()};
    }
    if (look == m_shownLook)
        return;
    m_shownLook = std::move(look);
    emit changed();
}

void PlayerBarPresenter::startWaveformLoad()
{
    const std::optional<Track> shown = track();
    const std::optional<QUrl> previous = m_loadingURL;
    ++m_loadTicket;
    m_loadingURL.reset();
    // The same file keeps its extraction: cancelling it would only start it again.
    if (previous && (!shown || shown->url != *previous))
        m_cache->cancelLoading(*previous);
    if (!shown)
        return;
    LibraryWaveformPreloading::prioritizeWaveformsForPlayback(m_store, shown->id);
    m_loadingURL = shown->url;
    loadWaveform(m_loadTicket, shown->id, shown->url);
}

void PlayerBarPresenter::cancelWaveformLoad()
{
    ++m_loadTicket;
    if (const std::optional<QUrl> url = std::exchange(m_loadingURL, std::nullopt))
        m_cache->cancelLoading(*url);
}

QCoro::Task<> PlayerBarPresenter::loadWaveform(quint64 ticket, QUuid id, QUrl url)
{
    QPointer<PlayerBarPresenter> self(this);
    bool ok = false;
    try {
        auto loading = m_cache->samples(url, false);
        co_await loading; // only fills the cache; the scrubber reads it from there
        ok = true;
    } catch (...) {
        // Unreadable, blocked after a failure, or cancelled: not ready.
    }
    // A late answer for a track no longer shown changes nothing.
    if (!self || m_loadTicket != ticket)
        co_return;
    m_loadingURL.reset();
    if (ok)
        m_waveformReadyTrackID = id;
    else
        m_envelopeFailedTrackID = id;
    emit waveformAreaChanged();
}

void PlayerBarPresenter::playAdjacent(int offset)
{
    m_navigation.playAdjacent(offset);
}

void PlayerBarPresenter::playPause()
{
    if (const std::optional<Track> shown = track())
        m_player.play(*shown);
}

void PlayerBarPresenter::seekBy(int direction)
{
    m_player.seekBy(direction * m_store.settings().seekStep());
}

void PlayerBarPresenter::seekToFraction(double fraction)
{
    m_player.seekTo(fraction * m_displayedDuration);
}

void PlayerBarPresenter::setScrubbing(bool scrubbing)
{
    m_player.setScrubbing(scrubbing);
}

void PlayerBarPresenter::setVolume(double value)
{
    const double clamped = std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
    m_player.setVolume(float(clamped));
    const quint64 token = ++m_volumeToken;
    m_volumePercent = volumePercent(clamped);
    emit volumeChanged();
    m_volumeHide.cancel();
    QPointer<PlayerBarPresenter> self(this);
    m_volumeHide = m_store.services().schedulerService().after(kVolumeBubbleDelay, [self, token] {
        if (!self || token != self->m_volumeToken)
            return;
        self->m_volumePercent.reset();
        emit self->volumeChanged();
    });
}

} // namespace brivello
