#include "playback/ui/PlayerBar.h"

#include "playback/ui/PlayerTransportControl.h"
#include "playback/ui/PlayerVolumeControl.h"
#include "playback/ui/PlayerWaveformArea.h"
#include "playback/ui/ScrollVolumeSlider.h"
#include "playback/ui/Waveform.h"
#include "playback/ui/WaveformLoadingIndicator.h"
#include "playback/ui/WaveformScrollVolumeControl.h"
#include "shell/ContextualHint.h"
#include "shell/ShellEvents.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"
#include "support/ThreadPoolHold.h"
#include "support/WidgetScreenshot.h"
#include "waveform/WaveformCache.h"
#include "waveform/ui/WaveformScrubber.h"

#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

using namespace brivello;
using namespace brivello::testing;

namespace {

// Counts the wheel events a widget receives.
class WheelCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Wheel)
            ++count;
        return false;
    }
};

void wheel(QWidget *window, const QPoint &localInWindow, QPoint pixel, QPoint angle)
{
    const QPointF global = window->mapToGlobal(QPointF(localInWindow));
    QWheelEvent event(QPointF(localInWindow),
                      global,
                      pixel,
                      angle,
                      Qt::NoButton,
                      Qt::NoModifier,
                      Qt::NoScrollPhase,
                      false);
    QCoreApplication::sendEvent(window->windowHandle(), &event);
}

class PlayerBarTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
        Track t = Track::make(url(QStringLiteral("Kolsch - Grey.mp3")));
        t.isInPlaylist = true;
        t.bitRate = 320000;
        t.duration = 36000; // ten hours
        track = t;
        store().setTracks({t});
        bar = std::make_unique<PlayerBar>(store(), player);
        bar->setLayoutOptions(false, 38);
        bar->resize(1100, 174);
        bar->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
    }
    void TearDown() override
    {
        bar.reset();
        LibraryStoreFixture::TearDown();
    }

    Track track;
    RecordingAudioPlayer player;
    std::unique_ptr<PlayerBar> bar;
};

TEST_F(PlayerBarTest, EmptyPanelShowsTheStillPlaceholderAndADisabledPlayButton)
{
    EXPECT_EQ(bar->titleLabel()->text(), "Ничего не воспроизводится");
    EXPECT_TRUE(bar->detailLabel()->isHidden());
    EXPECT_FALSE(bar->transportButtons()[2]->isEnabled());
    EXPECT_TRUE(bar->placeholderWave()->isVisible());
    EXPECT_FALSE(bar->placeholderWave()->isAnimating());
    EXPECT_EQ(bar->waveformAreaRect().height(), 42);
    for (PlayerTransportControl *button : bar->transportButtons()) {
        EXPECT_EQ(button->size(), QSize(38, 38));
        ASSERT_NE(ContextualHint::of(button), nullptr);
    }
    EXPECT_EQ(ContextualHint::of(bar->transportButtons()[2])->shortcut(), "Space");
    saveWidgetScreenshot(QStringLiteral("player-empty.png"), grabOnGlass(bar.get(), 0));
}

TEST_F(PlayerBarTest, PlayingShowsTheTracksScrubberWhichSeeksOnceAtTheRelease)
{
    // The track's file exists; a cache of the test's own serves a full-height envelope.
    touch(QStringLiteral("Kolsch - Grey.mp3"), QByteArray(64, 'a'));
    WaveformCache cache(
        path(QStringLiteral("cache")),
        [](QUrl, int count, bool, std::stop_token) -> QCoro::Task<std::vector<float>> {
            co_return std::vector<float>(size_t(count), 1.0f);
        },
        m_scheduler);
    bar->presenter().setWaveformCache(&cache);
    player.play(track);
    player.progress().setDuration(track.duration);
    player.progress().setCurrentTime(12600);
    EXPECT_EQ(bar->titleLabel()->text(), "Grey");
    EXPECT_EQ(bar->artistLabel()->text(), "Kolsch");
    EXPECT_EQ(bar->detailLabel()->text(), "MP3 \u00B7 320 kbps");
    EXPECT_EQ(bar->totalLabel()->text(), "600:00");
    EXPECT_EQ(bar->transportButtons()[2]->symbol(), "pause.fill");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return bar->scrubber() && !bar->scrubber()->samples().empty(); }));
    WaveformScrubber *scrubber = bar->scrubber();
    EXPECT_TRUE(scrubber->isVisible());
    EXPECT_FALSE(bar->placeholderWave()->isVisible());
    EXPECT_FALSE(bar->loadingIndicator()->isVisible());
    EXPECT_EQ(scrubber->url(), track.url);
    // The played part (white at 0.96 in the dark look) ends at 35 % of the width.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !bar->waveformArea()->isFading(); }));
    QImage image(scrubber->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    scrubber->render(&image, {}, {}, QWidget::DrawChildren);
    const auto alphaAt = [&](double fraction) {
        return qAlpha(image.pixel(int(image.width() * fraction), image.height() / 2));
    };
    EXPECT_GT(alphaAt(0.3), 230);
    EXPECT_NEAR(alphaAt(0.4), 0.2 * 255, 3);

    player.setPlaying(false);
    EXPECT_EQ(bar->transportButtons()[2]->symbol(), "play.fill");

    // A drag freezes the clock and seeks once, at the release, by the displayed duration.
    const int w = scrubber->width();
    QTest::mousePress(scrubber, Qt::LeftButton, {}, QPoint(w / 10, 10));
    QTest::mouseMove(scrubber, QPoint(w / 4, 10));
    QTest::mouseMove(scrubber, QPoint(w / 2, 10));
    EXPECT_TRUE(player.seeksTo.isEmpty());
    EXPECT_EQ(player.scrubbing, QList<bool>{true});
    QTest::mouseRelease(scrubber, Qt::LeftButton, {}, QPoint(w / 2, 10));
    ASSERT_EQ(player.seeksTo.size(), 1);
    EXPECT_NEAR(player.seeksTo.first(), 18000, 36000.0 / w);
    EXPECT_EQ(player.scrubbing, (QList<bool>{true, false}));
    bar.reset(); // before the cache it waits on
}

TEST_F(PlayerBarTest, ChangesMoveAndReducedMotionShortensOrDropsTheMotion)
{
    struct RestoreMotion
    {
        ~RestoreMotion() { ShellEvents::instance().setReduceMotion(false); }
    } restore;
    PlayerTransportControl *play = bar->transportButtons()[2];
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(play, &enter);
    EXPECT_LT(play->hoverLevel(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return play->hoverLevel() == 1; }));

    // A shown track: "loading" comes in as a track change, the fallback wave as a state change.
    {
        test::ThreadPoolHold hold; // the cache cannot answer yet
        store().setSelectedID(track.id);
        EXPECT_EQ(bar->waveformArea()->fadeDuration(), BrivelloTheme::kMotionStateMs);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->placeholderWave()->isVisible(); }));
    EXPECT_EQ(bar->waveformArea()->fadeDuration(), BrivelloTheme::kMotionOverlayMs);
    EXPECT_EQ(bar->waveformArea()->fadeCurve(), QEasingCurve::OutCubic);

    player.play(track);
    EXPECT_TRUE(play->isReplacingSymbol());
    bar->presenter().setVolume(0.5);
    EXPECT_LT(bar->volumeControl()->bubblePresence(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar->volumeControl()->bubblePresence() == 1; }));

    ShellEvents::instance().setReduceMotion(true);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(play, &leave);
    EXPECT_EQ(play->hoverLevel(), 0);
    player.setPlaying(false);
    EXPECT_EQ(play->symbol(), "play.fill");
    EXPECT_FALSE(play->isReplacingSymbol());
    store().setSelectedID(std::nullopt);
    player.current.reset();
    player.loaded.reset();
    emit player.currentIDChanged(); // nothing shown any more
    EXPECT_EQ(bar->waveformArea()->fadeDuration(), PlayerWaveformArea::kReducedMotionMs);
    EXPECT_EQ(bar->waveformArea()->fadeCurve(), QEasingCurve::Linear);
}

TEST(PlaceholderWaveTest, AnimatesOnlyWhilePlayingAndPressesReportTheFraction)
{
    Waveform wave;
    wave.resize(968, 42); // as wide as in the panel
    QList<double> seeks;
    wave.setSeekAction([&](double fraction) { seeks.append(fraction); });
    wave.setProgress(0.35);
    wave.setPlaying(true);
    EXPECT_TRUE(wave.isAnimating());
    QImage frame(wave.size(), QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::black);
    {
        QPainter painter(&frame);
        wave.paintFrame(painter, 0);
    }
    // The playhead sits at 35 % of the width.
    const int x = int(frame.width() * 0.35);
    EXPECT_GT(qRed(frame.pixel(x, 4)), 150);
    EXPECT_GT(wave.phase(), 0);
    wave.setPlaying(false);
    EXPECT_FALSE(wave.isAnimating());
    EXPECT_EQ(wave.phase(), 0); // a still picture
    QTest::mousePress(&wave, Qt::LeftButton, {}, QPoint(0, 10));
    EXPECT_EQ(seeks, QList<double>{0});
}

TEST_F(PlayerBarTest, WheelOverTheWaveformChangesVolumeAndStillReachesTheWave)
{
    WheelCounter counter;
    bar->placeholderWave()->installEventFilter(&counter);
    player.level = 0.5f;
    const QPoint inside = bar->waveformAreaRect().center();
    wheel(bar.get(), inside, {}, {0, 120});
    EXPECT_NEAR(player.level, 0.535, 1e-6);
    EXPECT_EQ(counter.count, 1);
    wheel(bar.get(), inside, {0, 10}, {0, 120});
    EXPECT_NEAR(player.level, 0.575, 1e-6);
    ASSERT_TRUE(bar->volumeControl()->bubble());
    EXPECT_TRUE(bar->volumeControl()->bubble()->isVisible());
    m_scheduler.advance(1.1);
    // The bubble fades out, then hides.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !bar->volumeControl()->bubble()->isVisible(); }));

    // Outside the area or while hidden nothing changes.
    wheel(bar.get(), QPoint(5, 5), {}, {0, 120});
    bar->scrollVolume()->hide();
    wheel(bar.get(), inside, {}, {0, 120});
    EXPECT_NEAR(player.level, 0.575, 1e-6);
}

TEST_F(PlayerBarTest, SliderWheelStepsAndTheBubbleTextsAndPlace)
{
    ScrollVolumeSlider *slider = bar->volumeControl()->slider();
    player.setVolume(0.95f);
    QWheelEvent up(QPointF(5, 5),
                   slider->mapToGlobal(QPointF(5, 5)),
                   QPoint(0, 10),
                   QPoint(0, 120),
                   Qt::NoButton,
                   Qt::NoModifier,
                   Qt::NoScrollPhase,
                   false);
    QCoreApplication::sendEvent(slider, &up);
    EXPECT_TRUE(up.isAccepted());
    EXPECT_EQ(player.level, 1.0f);
    // Outside changes below a thousandth are ignored.
    slider->setBoundVolume(0.9995);
    EXPECT_EQ(slider->value(), 1000);
    slider->setBoundVolume(0.998);
    EXPECT_EQ(slider->value(), 998);

    EXPECT_EQ(PlayerVolumeControl::bubbleText(0), "Mute");
    EXPECT_EQ(PlayerVolumeControl::bubbleText(37), "37%");
    EXPECT_EQ(PlayerVolumeControl::bubbleAccessibleText(0), "Без звука");
    EXPECT_EQ(PlayerVolumeControl::bubbleCentreX(120, 0, 52), 26);
    EXPECT_EQ(PlayerVolumeControl::bubbleCentreX(120, 1, 52), 94);
    EXPECT_EQ(PlayerVolumeControl::bubbleCentreX(120, 0.5, 52), 60);
    EXPECT_EQ(PlayerVolumeControl::bubbleCentreX(40, 0.5, 52), 26);

    const QRectF knob = ScrollVolumeSlider::knobRect(QRectF(10, 0, 20, 20), 1);
    EXPECT_EQ(knob, QRectF(14, 2, 16, 16));
    EXPECT_EQ(ScrollVolumeSlider::knobRect(QRectF(10, 0, 20, 20), 0).left(), 10);
}

TEST(PlayerTransportControlTest, HoveredButtonsTurnLightInTheDarkAndDarkerInTheLight)
{
    using C = PlayerTransportControl;
    EXPECT_EQ(C::foreground(ColorScheme::dark, true), QColor(Qt::black));
    EXPECT_NEAR(C::surface(ColorScheme::dark, true).alphaF(), 0.94, 1e-2);
    EXPECT_NEAR(C::surface(ColorScheme::dark, false).alphaF(), 0.1, 1e-2);
    EXPECT_NEAR(C::foreground(ColorScheme::light, true).alphaF(), 0.92, 1e-2);
    EXPECT_NEAR(C::foreground(ColorScheme::light, false).alphaF(), 0.72, 1e-2);
    EXPECT_NEAR(C::surface(ColorScheme::light, true).alphaF(), 0.14, 1e-2);
    EXPECT_EQ(C::surface(ColorScheme::light, true).red(), 0);
}

} // namespace
