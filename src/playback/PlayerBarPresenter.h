#pragma once

#include "platform/Scheduler.h"
#include "playback/TrackNavigation.h"
#include "records/Track.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>
#include <functional>
#include <optional>
#include <qcoro/qcorotask.h>

namespace brivello {

class AudioPlayer;
class LibraryStore;
class WaveformCache;

// What the player panel shows and does, without widgets: the shown track, heights and sizes,
// texts, transport hints, previous/next, seeking by fraction, the volume and its bubble, and
// which waveform the area shows. Main thread; owned by the panel, tests drive it directly.
class PlayerBarPresenter : public QObject
{
    Q_OBJECT
public:
    static constexpr double kMinimumPanelHeight = 136;
    static constexpr double kChromeHeight = 94; // everything of the panel but the waveform row
    static constexpr double kVolumeBubbleDelay = 1.1;

    struct Metrics
    {
        int artwork;
        int textWidth;
        int volumeWidth;
        int volumeTrailing;
    };
    struct TransportHint
    {
        QString title;
        QString detail;
        QString shortcutKey; // the setting holding the shortcut text
    };
    // The content of the waveform area. Without an envelope (the file cannot be read, or it
    // failed a moment ago) the still wave stands in and seeks, rather than "loading" forever.
    enum class WaveformArea { placeholder, loading, scrubber, seekablePlaceholder };

    PlayerBarPresenter(LibraryStore &store, AudioPlayer &player, QObject *parent = nullptr);
    ~PlayerBarPresenter() override;

    // --- Pure rules.
    static double minimumHeight(double layoutControlsTopInset, double waveformHeight);
    static double resolvedHeight(std::optional<double> panelHeight,
                                 double layoutControlsTopInset,
                                 double waveformHeight);
    static double
    waveformRowHeight(double resolvedHeight, double layoutControlsTopInset, double waveformHeight);
    static Metrics metrics(bool compact);
    static TransportHint transportHint(const QString &icon);
    static int volumePercent(double value);

    // --- State.
    std::optional<Track> track() const;
    QString titleText() const;
    QString artistText() const;
    // Empty without a track.
    QString detailText() const;
    bool canPlay() const { return track().has_value(); }
    QString playIcon() const;
    bool isPlaying() const;
    double waveformHeight() const;
    QColor waveformColor(bool light) const;

    double displayedCurrentTime() const { return m_displayedCurrentTime; }
    double displayedDuration() const { return m_displayedDuration; }
    double waveformProgress() const;
    std::optional<int> volumePercentShown() const { return m_volumePercent; }
    double volume() const;
    WaveformArea waveformArea() const;

    // The cache the shown track's envelope is awaited from (the shared one unless a test
    // passes its own, which must outlive the presenter); loading starts anew.
    void setWaveformCache(WaveformCache *cache);
    WaveformCache *waveformCache() const { return m_cache; }

    // --- Commands.
    void playAdjacent(int offset);
    void playPause();
    void seekBy(int direction);
    void seekToFraction(double fraction);
    void setScrubbing(bool scrubbing);
    void setVolume(double value);

signals:
    // The shown track or anything the top row shows changed.
    void changed();
    void timeChanged();
    void volumeChanged();
    void waveformAreaChanged();

private:
    void refreshShownTrack();
    void startWaveformLoad();
    void cancelWaveformLoad();
    QCoro::Task<> loadWaveform(quint64 ticket, QUuid id, QUrl url);

    LibraryStore &m_store;
    AudioPlayer &m_player;
    TrackNavigation m_navigation;
    WaveformCache *m_cache;
    // The load under way: its ticket and file; a newer ticket makes an answer stale.
    quint64 m_loadTicket = 0;
    std::optional<QUrl> m_loadingURL;
    std::optional<QUuid> m_shownID;
    // What the panel shows of the track, as last announced: the library's many changes that
    // leave it alone repaint nothing.
    std::optional<std::pair<QStringList, qint64>> m_shownLook;
    std::optional<QUuid> m_waveformReadyTrackID;
    std::optional<QUuid> m_envelopeFailedTrackID;
    double m_displayedCurrentTime = 0;
    double m_displayedDuration = 0;
    std::optional<int> m_volumePercent;
    quint64 m_volumeToken = 0;
    ScheduledWork m_volumeHide;
};

} // namespace brivello
