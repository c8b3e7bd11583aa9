#pragma once

#include "playback/PlayerBarPresenter.h"
#include "shell/BrivelloTheme.h"
#include "shell/GlassPanel.h"

#include <QList>

class QLabel;

namespace brivello {

class Artwork;
class AudioPlayer;
class LibraryStore;
class PlayerTransportControl;
class PlayerVolumeControl;
class PlayerWaveformArea;
class Waveform;
class WaveformLoadingIndicator;
class WaveformScrollVolumeControl;
class WaveformScrubber;

// The player panel inside the resizable player block: cover, title, artist, format line, the
// five transport buttons, the volume, the times and the waveform area. Its rules live in
// PlayerBarPresenter. Main thread; owned by the player block.
class PlayerBar : public GlassPanel
{
    Q_OBJECT
public:
    static constexpr int kTransportSize = 38;
    static constexpr qreal kTransportSymbolSize = 16;

    PlayerBar(LibraryStore &store, AudioPlayer &player, QWidget *parent = nullptr);

    // The block's compact flag and the strip kept free for its controls.
    void setLayoutOptions(bool compact, double layoutControlsTopInset);

    PlayerBarPresenter &presenter() { return m_presenter; }
    const QList<PlayerTransportControl *> &transportButtons() const { return m_transport; }
    PlayerVolumeControl *volumeControl() const { return m_volume; }
    WaveformScrollVolumeControl *scrollVolume() const { return m_scrollVolume; }
    PlayerWaveformArea *waveformArea() const { return m_area; }
    Waveform *placeholderWave() const;
    WaveformLoadingIndicator *loadingIndicator() const;
    // The shown track's scrubber; null until its envelope is ready.
    WaveformScrubber *scrubber() const;
    QLabel *titleLabel() const { return m_title; }
    QLabel *artistLabel() const { return m_artist; }
    QLabel *detailLabel() const { return m_detail; }
    QLabel *elapsedLabel() const { return m_elapsed; }
    QLabel *totalLabel() const { return m_total; }
    QRect waveformAreaRect() const { return m_waveArea; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildTransport();
    void refresh();
    void refreshTime();
    void refreshVolume();
    void refreshWaveformArea();
    void relayout();
    void layoutTopRow(int top);
    QLabel *label(TextStyle style, QFont::Weight weight = QFont::Normal);

    LibraryStore &m_store;
    PlayerBarPresenter m_presenter;
    bool m_compact = false;
    double m_topInset = 0;
    Artwork *m_artwork = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_artist = nullptr;
    QLabel *m_detail = nullptr;
    QList<PlayerTransportControl *> m_transport;
    PlayerVolumeControl *m_volume = nullptr;
    QLabel *m_elapsed = nullptr;
    QLabel *m_total = nullptr;
    PlayerWaveformArea *m_area = nullptr;
    std::optional<QUuid> m_areaTrackID;
    WaveformScrollVolumeControl *m_scrollVolume = nullptr;
    QRect m_waveArea;
};

} // namespace brivello
