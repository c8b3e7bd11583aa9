#include "playback/PlayerBarPresenter.h"

#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "playback/ProgressWaveShape.h"
#include "playback/VolumeWheelStep.h"
#include "playback/WaveformTint.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"
#include "support/ThreadPoolHold.h"
#include "waveform/WaveformCache.h"

#include <QSignalSpy>
#include <QTest>
#include <cmath>

using namespace brivello;
using namespace brivello::testing;

namespace {

using Tab = LibraryStore::LibraryTab;
using Area = PlayerBarPresenter::WaveformArea;

class PlayerBarPresenterTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
        ids = setFavouriteTracks(
            {"Artist - Song 0.mp3", "Artist - Song 1.mp3", "Artist - Song 2.mp3"});
        presenter = std::make_unique<PlayerBarPresenter>(store(), player);
    }
    void TearDown() override
    {
        presenter.reset();
        NotificationCenter::defaultCenter().removeObservers(&observer);
        LibraryStoreFixture::TearDown();
    }
    Track libraryTrack(int index) const { return m_store->tracks().at(index); }

    QList<QUuid> ids;
    RecordingAudioPlayer player;
    QObject observer;
    std::unique_ptr<PlayerBarPresenter> presenter;
};

TEST_F(PlayerBarPresenterTest, ShowsThePlayersLibraryEntryElseItsOwnTrackElseTheSelection)
{
    EXPECT_FALSE(presenter->track());
    EXPECT_EQ(presenter->titleText(), "Ничего не воспроизводится");
    EXPECT_EQ(presenter->artistText(), "Добавьте трек в плейлист");
    EXPECT_EQ(presenter->detailText(), "");
    EXPECT_FALSE(presenter->canPlay());
    EXPECT_EQ(presenter->waveformArea(), Area::placeholder);

    store().setSelectedID(ids[1]);
    EXPECT_EQ(presenter->track()->id, ids[1]);

    // The player's own copy is stale; the library entry with current tags wins.
    Track stale = libraryTrack(2);
    stale.tags.title = QStringLiteral("Old");
    player.play(stale);
    EXPECT_EQ(presenter->titleText(), "Song 2");
    EXPECT_EQ(presenter->artistText(), "Artist");
    EXPECT_EQ(presenter->detailText(), "MP3 \u00B7 — kbps");

    // A track outside the library: the player's own one, with the fallbacks of empty tags.
    Track outside = Track::make(url(QStringLiteral("Plain.flac")));
    outside.tags = {};
    player.current = outside.id;
    player.loaded = outside;
    emit player.currentIDChanged();
    EXPECT_EQ(presenter->titleText(), "Plain");
    EXPECT_EQ(presenter->artistText(), "Неизвестный исполнитель");
}

TEST_F(PlayerBarPresenterTest, LibraryChangesRefreshThePanelOnlyWhenTheShownTrackLooksDifferent)
{
    store().setSelectedID(ids[1]);
    QSignalSpy changed(presenter.get(), &PlayerBarPresenter::changed);
    // An import's batches and other tracks' tags leave the panel as it is.
    QList<Track> tracks = store().tracks();
    tracks[0].tags.title = QStringLiteral("Other");
    tracks.append(Track::make(url(QStringLiteral("New.mp3"))));
    store().setTracks(tracks);
    EXPECT_EQ(changed.count(), 0);
    // The shown track's own tags do change it.
    tracks[1].tags.artist = QStringLiteral("Someone");
    store().setTracks(tracks);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(presenter->artistText(), "Someone");
    store().setSelectedID(ids[2]);
    EXPECT_EQ(changed.count(), 2);
    emit player.isPlayingChanged();
    EXPECT_EQ(changed.count(), 3);
}

TEST_F(PlayerBarPresenterTest, HeightsFollowTheWaveformSettingAndGiveExtraRoomToTheWaveform)
{
    struct Case
    {
        std::optional<double> panel;
        double inset, waveform, height, row;
    };
    const Case cases[] = {
        {std::nullopt, 0, 42, 136, 42},
        {std::nullopt, 0, 80, 174, 80},
        {300, 10, 42, 300, 196},
        {100, 38, 42, 174, 42},
        {std::nullopt, 38, 42, 174, 42},
    };
    for (const Case &c : cases) {
        const double height = PlayerBarPresenter::resolvedHeight(c.panel, c.inset, c.waveform);
        EXPECT_EQ(height, c.height);
        EXPECT_EQ(PlayerBarPresenter::waveformRowHeight(height, c.inset, c.waveform), c.row);
    }
    EXPECT_EQ(PlayerBarPresenter::metrics(true).textWidth, 180);
    EXPECT_EQ(PlayerBarPresenter::metrics(false).volumeWidth, 120);
}

TEST_F(PlayerBarPresenterTest, AdjacentTracksClampAtTheEndsAndFocusOnlyInFavourites)
{
    QList<QUuid> focused;
    NotificationCenter::defaultCenter().observe(
        brivelloFocusFavoriteTrack, nullptr, &observer, [&](const Notification &n) {
            focused.append(n.userInfo.value(kUserInfoTrackID).toUuid());
        });
    store().setActiveTab(Tab::playlist);
    // No anchor: next starts at the first track, previous at the last.
    presenter->playAdjacent(1);
    EXPECT_EQ(player.played.last(), ids[0]);
    player.current.reset();
    store().setSelectedID(std::nullopt);
    presenter->playAdjacent(-1);
    EXPECT_EQ(player.played.last(), ids[2]);
    // The playing track is the anchor and the last one repeats (no wrap).
    presenter->playAdjacent(1);
    EXPECT_EQ(player.played.last(), ids[2]);
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{ids[2]});
    EXPECT_TRUE(focused.isEmpty());

    store().setActiveTab(Tab::favorites);
    player.current = ids[1];
    presenter->playAdjacent(-1);
    EXPECT_EQ(player.played.last(), ids[0]);
    EXPECT_EQ(focused, QList<QUuid>{ids[0]});
    presenter->playAdjacent(-1);
    EXPECT_EQ(player.played.last(), ids[0]);
}

TEST_F(PlayerBarPresenterTest, VolumeBubbleHides1point1SecondsAfterTheLastChange)
{
    presenter->setVolume(0.5);
    EXPECT_EQ(player.level, 0.5f);
    EXPECT_EQ(presenter->volumePercentShown(), 50);
    m_scheduler.advance(0.8);
    presenter->setVolume(1.7); // clamped
    EXPECT_EQ(player.level, 1.0f);
    m_scheduler.advance(0.8);
    EXPECT_EQ(presenter->volumePercentShown(), 100);
    m_scheduler.advance(0.29);
    EXPECT_EQ(presenter->volumePercentShown(), 100);
    m_scheduler.advance(0.02);
    EXPECT_EQ(presenter->volumePercentShown(), std::nullopt);
    EXPECT_EQ(PlayerBarPresenter::volumePercent(0.375), 38);
    EXPECT_EQ(PlayerBarPresenter::volumePercent(0.004), 0);
}

TEST_F(PlayerBarPresenterTest, WaveformAreaWaitsForTheEnvelopeAndFallsBackToASeekableWave)
{
    // A cache of its own whose extractions answer at once; the second file does not exist.
    touch(QStringLiteral("Artist - Song 0.mp3"), QByteArray(64, 'a'));
    WaveformCache cache(
        path(QStringLiteral("cache")),
        [](QUrl, int count, bool, std::stop_token) -> QCoro::Task<std::vector<float>> {
            co_return std::vector<float>(size_t(count), 0.5f);
        },
        m_scheduler);
    presenter->setWaveformCache(&cache);
    const auto areaBecomes = [this](Area area) {
        return QTest::qWaitFor([&] { return presenter->waveformArea() == area; });
    };
    for (const auto &[index, outcome] :
         {std::pair{0, Area::scrubber}, std::pair{1, Area::seekablePlaceholder}}) {
        {
            test::ThreadPoolHold hold; // the cache cannot answer yet
            player.play(libraryTrack(index));
            EXPECT_EQ(presenter->waveformArea(), Area::loading);
        }
        EXPECT_TRUE(areaBecomes(outcome));
    }

    // Seeking by fraction uses the displayed duration.
    player.progress().setDuration(200);
    player.progress().setCurrentTime(50);
    EXPECT_DOUBLE_EQ(presenter->waveformProgress(), 0.25);
    presenter->seekToFraction(0.5);
    EXPECT_EQ(player.seeksTo, QList<double>{100});

    // Back to a track whose envelope is cached: ready as soon as the cache answers.
    player.play(libraryTrack(0));
    EXPECT_TRUE(areaBecomes(Area::scrubber));
    presenter.reset(); // before the cache it waits on
}

TEST(ProgressWaveShapeTest, PointsFollowTheFormulaAndTheLineEndsOnTheLastPoint)
{
    const QSizeF size(680, 42);
    for (const double phase : {0.0, 123456789.123}) {
        const QList<QPointF> points = ProgressWaveShape::points(size, phase);
        ASSERT_EQ(points.size(), 69);
        for (int i = 0; i < 69; ++i) {
            const double y =
                21 + 0.3 * 42 *
                         (0.42 * std::sin(0.3 * i) + 0.31 * std::sin(0.11 * i + 0.8) +
                          0.16 * std::cos(0.66 * i) + 0.035 * std::sin(2.2 * phase + 0.24 * i));
            EXPECT_NEAR(points[i].x(), 10.0 * i, 1e-9);
            EXPECT_NEAR(points[i].y(), y, 1e-9);
        }
        const QPainterPath line = ProgressWaveShape::line(size, phase);
        EXPECT_EQ(line.elementAt(0), points[0]);
        EXPECT_EQ(QPointF(line.elementAt(line.elementCount() - 1)), points[68]);
        // 68 quadratic curves (two elements each as cubics in Qt) and one line.
        EXPECT_EQ(line.elementCount(), 1 + 68 * 3 + 1);
    }
    EXPECT_EQ(ProgressWaveShape::dotRadius(5, false), 2.8);
    EXPECT_NEAR(ProgressWaveShape::dotRadius(1, true), 2.8 + 0.65 * (std::sin(4.0) + 1), 1e-12);
    EXPECT_EQ(ProgressWaveShape::clampedProgress(-0.2), 0);
    EXPECT_EQ(ProgressWaveShape::clampedProgress(1.5), 1);
    EXPECT_EQ(ProgressWaveShape::clampedProgress(std::nan("")), 0);
    EXPECT_EQ(ProgressWaveShape::fraction(0, 300), 0);
    EXPECT_EQ(ProgressWaveShape::fraction(400, 300), 1);
    EXPECT_EQ(ProgressWaveShape::fraction(0.5, 0.4), 0.5);
}

TEST(VolumeWheelStepTest, SliderAndWaveformStepsForNotchedAndPreciseScrolling)
{
    using V = VolumeWheelStep;
    const V::Delta notch = V::delta({}, {0, 120});
    const V::Delta tenPixels = V::delta({0, 10}, {0, 120});
    const V::Delta sideways = V::delta({}, {-240, 0});
    EXPECT_FALSE(notch.precise);
    EXPECT_TRUE(tenPixels.precise);
    EXPECT_EQ(sideways.value, -2);

    EXPECT_NEAR(V::waveform(0.5, notch), 0.535, 1e-12);
    EXPECT_NEAR(V::waveform(0.5, tenPixels), 0.54, 1e-12);
    EXPECT_NEAR(V::waveform(0.5, sideways), 0.43, 1e-12);
    EXPECT_EQ(V::waveform(0.99, notch), 1.0);
    EXPECT_EQ(V::waveform(0.01, sideways), 0.0);

    EXPECT_NEAR(V::slider(0.5, V::delta({0, 10}, {})), 0.62, 1e-12);
    EXPECT_EQ(V::slider(0.95, V::delta({0, 10}, {})), 1.0);
    EXPECT_EQ(V::slider(0.05, V::delta({0, -10}, {})), 0.0);
}

TEST(WaveformTintTest, PresetsByAppearanceWithUnknownPresetsDrawnWhite)
{
    EXPECT_EQ(WaveformTint::color("sepia", 0, 0, 0, false), QColor(Qt::white));
    EXPECT_EQ(WaveformTint::color("white", 0, 0, 0, true), WaveformTint::color("x", 0, 0, 0, true));
    const QColor custom = WaveformTint::color("custom", 1, 0.5, 2, true);
    EXPECT_NEAR(custom.redF(), 0.52, 1e-3);
    EXPECT_NEAR(custom.greenF(), 0.26, 1e-3);
    EXPECT_NEAR(custom.blueF(), 0.52, 1e-3);
    EXPECT_NEAR(WaveformTint::inactive(Qt::white, true).alphaF(), 0.48, 1e-3);
    EXPECT_NEAR(WaveformTint::inactive(Qt::white, false).alphaF(), 0.2, 1e-3);
    EXPECT_NEAR(WaveformTint::active(Qt::white).alphaF(), 0.96, 1e-3);
}

} // namespace
