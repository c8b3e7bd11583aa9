#include "PlayerBar.h"

#include "PlayerTransportControl.h"
#include "PlayerVolumeControl.h"
#include "PlayerWaveformArea.h"
#include "WaveformScrollVolumeControl.h"
#include "library/AudioPlayer.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "shell/Artwork.h"
#include "shell/ContextualHint.h"
#include "shell/ShellEvents.h"

#include <QLabel>

namespace brivello {

namespace {
constexpr int kSide = 20;
constexpr int kTopPadding = 22;
constexpr int kBottomPadding = 14;
constexpr int kTopRowHeight = 46;
constexpr int kTimeWidth = 34;
constexpr int kRowSpacing = 12;
constexpr int kTransportSpacing = 9;
constexpr int kVolumeHeight = 20;

const char *const kTransportIcons[] = {
    "backward.end.fill", "gobackward.15", "play.fill", "goforward.15", "forward.end.fill"};
} // namespace

PlayerBar::PlayerBar(LibraryStore &store, AudioPlayer &player, QWidget *parent)
    : GlassPanel(24, parent)
    , m_store(store)
    , m_presenter(store, player)
{
    m_artwork = new Artwork(QImage(), PlayerBarPresenter::metrics(false).artwork, this);
    m_title = label(TextStyle::subheadline, QFont::Medium);
    m_artist = label(TextStyle::caption);
    m_detail = label(TextStyle::caption2);
    buildTransport();
    m_volume = new PlayerVolumeControl(this);
    m_volume->setChangeAction([this](double value) { m_presenter.setVolume(value); });
    m_elapsed = label(TextStyle::caption);
    m_elapsed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_total = label(TextStyle::caption);
    m_total->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_area = new PlayerWaveformArea(m_presenter, this);
    m_scrollVolume =
        new WaveformScrollVolumeControl([this] { return m_presenter.volume(); },
                                        [this](double value) { m_presenter.setVolume(value); },
                                        this);

    connect(&m_presenter, &PlayerBarPresenter::changed, this, &PlayerBar::refresh);
    connect(&m_presenter, &PlayerBarPresenter::timeChanged, this, &PlayerBar::refreshTime);
    connect(&m_presenter, &PlayerBarPresenter::volumeChanged, this, &PlayerBar::refreshVolume);
    connect(&m_presenter,
            &PlayerBarPresenter::waveformAreaChanged,
            this,
            &PlayerBar::refreshWaveformArea);
    connect(&m_store.settings(), &LibrarySettings::changed, this, [this] { refresh(); });
    connect(&ShellEvents::instance(), &ShellEvents::languageChanged, this, &PlayerBar::refresh);
    connect(&ShellEvents::instance(), &ShellEvents::appearanceChanged, this, &PlayerBar::refresh);
    refresh();
    refreshTime();
    refreshVolume();
    refreshWaveformArea();
}

Waveform *PlayerBar::placeholderWave() const
{
    return m_area->placeholderWave();
}

WaveformLoadingIndicator *PlayerBar::loadingIndicator() const
{
    return m_area->loadingIndicator();
}

WaveformScrubber *PlayerBar::scrubber() const
{
    return m_area->scrubber();
}

QLabel *PlayerBar::label(TextStyle style, QFont::Weight weight)
{
    auto *label = new QLabel(this);
    QFont font = BrivelloTheme::font(style, weight);
    font.setStyleHint(QFont::SansSerif);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void PlayerBar::buildTransport()
{
    for (const char *name : kTransportIcons) {
        const QString icon = QString::fromLatin1(name);
        auto *button = new PlayerTransportControl(icon, kTransportSize, kTransportSymbolSize, this);
        const PlayerBarPresenter::TransportHint hint = PlayerBarPresenter::transportHint(icon);
        ContextualHint::attach(
            button,
            m_store.services().schedulerService(),
            hint.title,
            hint.detail,
            [this, key = hint.shortcutKey] { return m_store.settings().hotkey(key); });
        m_transport.append(button);
    }
    connect(
        m_transport[0], &QAbstractButton::clicked, this, [this] { m_presenter.playAdjacent(-1); });
    connect(m_transport[1], &QAbstractButton::clicked, this, [this] { m_presenter.seekBy(-1); });
    connect(m_transport[2], &QAbstractButton::clicked, this, [this] { m_presenter.playPause(); });
    connect(m_transport[3], &QAbstractButton::clicked, this, [this] { m_presenter.seekBy(1); });
    connect(
        m_transport[4], &QAbstractButton::clicked, this, [this] { m_presenter.playAdjacent(1); });
}

void PlayerBar::setLayoutOptions(bool compact, double layoutControlsTopInset)
{
    m_compact = compact;
    m_topInset = layoutControlsTopInset;
    relayout();
}

void PlayerBar::refresh()
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const std::optional<Track> track = m_presenter.track();
    m_artwork->setImage(track ? track->artwork : QImage());
    const PlayerBarPresenter::Metrics metrics = PlayerBarPresenter::metrics(m_compact);
    const auto elide = [&](QLabel *label, const QString &text) {
        label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, metrics.textWidth));
    };
    elide(m_title, m_presenter.titleText());
    elide(m_artist, m_presenter.artistText());
    elide(m_detail, m_presenter.detailText());
    m_detail->setVisible(track.has_value());
    const QColor primary = BrivelloTheme::primary(scheme);
    QColor secondary = BrivelloTheme::secondary(scheme);
    QColor tertiary = secondary;
    tertiary.setAlphaF(secondary.alphaF() * 0.7f);
    const auto colour = [](QLabel *label, const QColor &color) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, color);
        label->setPalette(palette);
    };
    colour(m_title, primary);
    for (QLabel *label : {m_artist, m_elapsed, m_total})
        colour(label, secondary);
    colour(m_detail, tertiary);
    m_transport[2]->setSymbol(m_presenter.playIcon());
    m_transport[2]->setEnabled(m_presenter.canPlay());
    m_area->refreshPlaying();
    m_area->refreshTint(); // the colour settings or the appearance may have changed
    relayout();            // the format line comes and goes with the track
    update();
}

void PlayerBar::refreshTime()
{
    m_elapsed->setText(clockText(m_presenter.displayedCurrentTime()));
    m_total->setText(clockText(m_presenter.displayedDuration()));
    m_area->refreshTime();
}

void PlayerBar::refreshVolume()
{
    m_volume->setValue(m_presenter.volume());
    m_volume->setPercent(m_presenter.volumePercentShown());
}

void PlayerBar::refreshWaveformArea()
{
    const std::optional<Track> track = m_presenter.track();
    const std::optional<QUuid> id = track ? std::optional<QUuid>(track->id) : std::nullopt;
    const bool trackChanged = id != m_areaTrackID;
    m_areaTrackID = id;
    // The area sets its own progress; the clock texts change only with the time.
    m_area->refreshContent(trackChanged);
    refresh();
}

void PlayerBar::resizeEvent(QResizeEvent *event)
{
    GlassPanel::resizeEvent(event);
    relayout();
}

void PlayerBar::layoutTopRow(int top)
{
    const PlayerBarPresenter::Metrics metrics = PlayerBarPresenter::metrics(m_compact);
    const int artworkTop = top + (kTopRowHeight - metrics.artwork) / 2;
    m_artwork->setGeometry(kSide, artworkTop, metrics.artwork, metrics.artwork);
    const int textX = kSide + metrics.artwork + 14;
    const int lineHeight = m_title->sizeHint().height();
    const int smallHeight = m_artist->sizeHint().height();
    const int detailHeight = !m_detail->isHidden() ? m_detail->sizeHint().height() : 0;
    const int block = lineHeight + 2 + smallHeight + (detailHeight ? 2 + detailHeight : 0);
    int y = top + (kTopRowHeight - block) / 2;
    m_title->setGeometry(textX, y, metrics.textWidth, lineHeight);
    y += lineHeight + 2;
    m_artist->setGeometry(textX, y, metrics.textWidth, smallHeight);
    m_detail->setGeometry(textX, y + smallHeight + 2, metrics.textWidth, detailHeight);

    const int volumeX = width() - kSide - metrics.volumeTrailing - metrics.volumeWidth;
    m_volume->setGeometry(
        volumeX, top + (kTopRowHeight - kVolumeHeight) / 2, metrics.volumeWidth, kVolumeHeight);

    const int rowWidth = 5 * kTransportSize + 4 * kTransportSpacing;
    int x = kSide + (width() - 2 * kSide - rowWidth) / 2;
    for (PlayerTransportControl *button : m_transport) {
        button->move(x, top + (kTopRowHeight - kTransportSize) / 2);
        button->raise();
        x += kTransportSize + kTransportSpacing;
    }
}

void PlayerBar::relayout()
{
    const double waveformHeight = m_presenter.waveformHeight();
    const double resolved =
        PlayerBarPresenter::resolvedHeight(double(height()), m_topInset, waveformHeight);
    const int rowHeight =
        int(PlayerBarPresenter::waveformRowHeight(resolved, m_topInset, waveformHeight));
    layoutTopRow(int(m_topInset) + kTopPadding);

    const int rowTop = height() - kBottomPadding - rowHeight;
    m_elapsed->setGeometry(kSide, rowTop, kTimeWidth, rowHeight);
    const int areaX = kSide + kTimeWidth + kRowSpacing;
    const int areaWidth = width() - 2 * areaX;
    m_waveArea = QRect(areaX, rowTop, std::max(0, areaWidth), rowHeight);
    m_total->setGeometry(areaX + areaWidth + kRowSpacing, rowTop, kTimeWidth, rowHeight);
    m_area->setGeometry(m_waveArea);
    m_scrollVolume->setGeometry(m_waveArea);
    m_scrollVolume->raise();
}

} // namespace brivello
