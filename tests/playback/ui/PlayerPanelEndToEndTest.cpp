#include "library/LibrarySections.h"
#include "library/TrackImporter.h"
#include "playback/WaveformTint.h"
#include "playback/ui/PlayerBar.h"
#include "playback/ui/PlayerTransportControl.h"
#include "playback/ui/PlayerWaveformArea.h"
#include "playback/ui/ResizablePlayerDashboardBlock.h"
#include "playback/ui/Waveform.h"
#include "playback/ui/WaveformLoadingIndicator.h"
#include "settings/ui/WaveformColorPreview.h"
#include "shell/ActionButton.h"
#include "shell/Artwork.h"
#include "shell/ShellEvents.h"
#include "support/TestAudioFiles.h"
#include "support/ui/EndToEndFixture.h"
#include "waveform/WaveformCache.h"
#include "waveform/WaveformDiskCache.h"
#include "waveform/ui/WaveformScrubber.h"
#include "workspaces/ui/CoverManager.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTest>
#include <algorithm>
#include <cmath>

namespace brivello {

namespace {

// The player panel of the real window over the shared waveform cache. The cache lives for the
// whole test program, so every test works on files of its own temporary folder.
class PlayerPanelEndToEndTest : public testing::EndToEndFixture
{
protected:
    PlayerBar &bar() { return *qobject_cast<PlayerBar *>(window().playerBlock()->panel()); }

    // A lavfi expression rendered to a file under the test's folder.
    QString render(const QString &name, const QString &expression, double seconds)
    {
        return makeFromLavfi(
            name, QStringLiteral("aevalsrc='%1':s=44100:d=%2").arg(expression).arg(seconds));
    }
    // A 440 Hz sine at 0.8 for the first half, silence for the second.
    QString loudThenSilent(const QString &name, double seconds)
    {
        return render(
            name, QStringLiteral("if(lt(t,%1),0.8*sin(2*PI*440*t),0)").arg(seconds / 2), seconds);
    }
    // Sines in M4A, imported, the first playing: "a stated short" (5 s) states 4 s, "b cut
    // short" (5 s) states 5 s but lost the last 30% of its bytes, "c last" is as written and
    // lasts 1 s, as the tests play it to its end at the pace of the player's clock.
    void playMisstatedM4as()
    {
        const QString sine = QStringLiteral("sine=frequency=440:sample_rate=44100:d=5");
        const QString stated =
            makeFromLavfi(QStringLiteral("a stated short.m4a"), sine, {"-c:a", "aac"});
        ASSERT_TRUE(test::TestAudioFiles::restateMp4Duration(stated, 0.8));
        const QString cut = makeFromLavfi(
            QStringLiteral("b cut short.m4a"), sine, {"-c:a", "aac", "-movflags", "+faststart"});
        ASSERT_TRUE(QFile::resize(cut, QFileInfo(cut).size() * 7 / 10));
        const QString last =
            makeFromLavfi(QStringLiteral("c last.m4a"),
                          QStringLiteral("sine=frequency=440:sample_rate=44100:d=1"),
                          {"-c:a", "aac"});
        const QList<QUuid> ids = importAndWait(urls({stated, cut, last}));
        ASSERT_EQ(ids.size(), 3);
        pressPlay(ids[0]);
    }
    // Selects the track and presses the panel's play button.
    void pressPlay(const QUuid &id)
    {
        store().setSelectedID(id);
        QTest::mouseClick(bar().transportButtons()[2], Qt::LeftButton);
        ASSERT_TRUE(spinUntil([this] { return sink() != nullptr && player().isPlaying(); }));
    }
    // Imports the files, plays the first and waits for its scrubber; null when it never came.
    WaveformScrubber *playFirst(const QStringList &files)
    {
        const QList<QUuid> ids = importAndWait(urls(files));
        EXPECT_EQ(ids.size(), files.size());
        if (ids.isEmpty())
            return nullptr;
        pressPlay(ids.first());
        return readyScrubber();
    }
    WaveformScrubber *readyScrubber()
    {
        const bool ready = spinUntil([this] {
            WaveformScrubber *scrubber = bar().scrubber();
            return scrubber && scrubber->isVisible() && !scrubber->samples().empty();
        });
        EXPECT_TRUE(ready) << "the scrubber never drew the envelope";
        return ready ? bar().scrubber() : nullptr;
    }
    static bool cachedOnDisk(const QUrl &url)
    {
        const std::optional<QString> file = WaveformDiskCache::persistentCacheFile(
            url, WaveformCache::shared().diskCacheDirectory());
        return file && QFileInfo::exists(*file);
    }
    static float peak(const std::vector<float> &samples, qint64 fromFrame, qint64 toFrame)
    {
        float loudest = 0;
        for (qint64 i = fromFrame * 2; i < toFrame * 2 && i < qint64(samples.size()); ++i)
            loudest = std::max(loudest, std::fabs(samples[size_t(i)]));
        return loudest;
    }
};

TEST_F(PlayerPanelEndToEndTest, TheScrubberDrawsThePlayingFileAndTheNextTwoArePreloaded)
{
    QList<QUrl> urls;
    for (int i = 0; i < 5; ++i) {
        const QString name = QStringLiteral("set/%1.flac").arg(i);
        urls.append(QUrl::fromLocalFile(i == 1 ? loudThenSilent(name, 6) : makeAudio(name, 1)));
    }
    const QList<QUuid> ids = importAndWait(urls);
    ASSERT_EQ(ids.size(), 5);
    ASSERT_EQ(store().sections().playlistTracks().at(1).url, urls[1]);
    pressPlay(store().sections().playlistTracks().at(1).id);
    EXPECT_EQ(bar().placeholderWave()->isVisible(), false);
    WaveformScrubber *scrubber = readyScrubber();
    ASSERT_TRUE(scrubber);
    EXPECT_EQ(scrubber->url(), urls[1]);

    // Filled over the loud half, empty over the silent one (off the middle line).
    settledGrab();
    QImage image(scrubber->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    scrubber->render(&image, {}, {}, QWidget::DrawChildren);
    const auto ink = [&](double fraction) {
        int most = 0;
        const int x = int(image.width() * fraction);
        for (int y = 0; y < image.height() / 2 - 2; ++y)
            most = std::max(most, qAlpha(image.pixel(x, y)));
        return most;
    };
    for (const double loud : {0.05, 0.2, 0.35, 0.45})
        EXPECT_GT(ink(loud), 40) << loud;
    for (const double silent : {0.56, 0.7, 0.85, 0.95})
        EXPECT_EQ(ink(silent), 0) << silent;

    // The shown track and the two after it reach the cache; the one after those does not.
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(spinUntil([&] { return cachedOnDisk(urls[i]); })) << i;
    EXPECT_FALSE(cachedOnDisk(urls[4]));
}

TEST_F(PlayerPanelEndToEndTest, ADragSeeksOnceAtTheReleaseAndTheClockHoldsMeanwhile)
{
    const QString file = loudThenSilent(QStringLiteral("drag/split.flac"), 4);
    const QList<QUuid> ids = importAndWait(urls({file}));
    ASSERT_EQ(ids.size(), 1);
    pressPlay(ids.first());
    advanceAudio(0.4); // 10 %
    WaveformScrubber *scrubber = readyScrubber();
    ASSERT_TRUE(scrubber);
    EXPECT_GT(peak(sink()->captured(), 4410, 13230), 0.3f) << "loud at the start";

    const int seeks = player().seekCount();
    const double duration = player().progress().duration();
    const int w = scrubber->width();
    QTest::mousePress(scrubber, Qt::LeftButton, {}, QPoint(w / 10, 5));
    const QString elapsed = bar().elapsedLabel()->text();
    const double clock = player().progress().currentTime();
    for (const double at : {0.2, 0.35, 0.5, 0.6}) {
        QTest::mouseMove(scrubber, QPoint(int(w * at), 5));
        advanceAudio(0.1);
    }
    EXPECT_EQ(player().seekCount(), seeks);
    EXPECT_EQ(player().progress().currentTime(), clock);
    EXPECT_EQ(bar().elapsedLabel()->text(), elapsed);
    EXPECT_NEAR(scrubber->displayedProgress(), 0.6, 1.0 / w);

    QTest::mouseRelease(scrubber, Qt::LeftButton, {}, QPoint(int(w * 0.6), 5));
    EXPECT_EQ(player().seekCount(), seeks + 1);
    const double target = int(w * 0.6) / double(w) * duration;
    EXPECT_NEAR(player().progress().currentTime(), target, 1e-6);
    advanceAudio(0.5);
    EXPECT_EQ(player().seekCount(), seeks + 1);
    EXPECT_GT(player().progress().currentTime(), target);

    // What the device played after the seek is the file at 60 %: silence.
    const std::optional<qint64> audible = player().engine().seekAudibleFrame();
    ASSERT_TRUE(audible);
    EXPECT_LT(peak(sink()->captured(), *audible, *audible + 11025), 0.01f);

    // A click without movement is a seek to that point: back into the loud half.
    const qint64 before = sink()->renderedFrames();
    QTest::mouseClick(scrubber, Qt::LeftButton, {}, QPoint(w / 4, 5));
    EXPECT_EQ(player().seekCount(), seeks + 2);
    advanceAudio(0.5);
    EXPECT_GT(peak(sink()->captured(), before + 4410, before + 15000), 0.3f);
}

TEST_F(PlayerPanelEndToEndTest, ATrackChangeCancelsThePreviousLoadAndShowsTheNewScrubber)
{
    QList<QUrl> urls = this->urls(makeAudioFiles(QStringLiteral("change/%1.flac"), 4));
    // Past the three files an import preloads, long enough to be still loading at the switch.
    // The plain sine source writes ten minutes in a fraction of what an expression costs.
    urls.append(QUrl::fromLocalFile(
        makeFromLavfi(QStringLiteral("change/long.flac"),
                      QStringLiteral("sine=frequency=220:sample_rate=44100:d=600"))));
    const QList<QUuid> ids = importAndWait(urls);
    ASSERT_EQ(ids.size(), 5);
    const QUuid longID = store().sections().playlistTracks().at(4).id;
    ASSERT_EQ(track(longID)->url, urls[4]);
    pressPlay(longID);
    EXPECT_TRUE(bar().loadingIndicator()->isVisible());
    EXPECT_EQ(bar().loadingIndicator()->text(), QStringLiteral("Загрузка waveform…"));
    ASSERT_TRUE(spinUntil([&] { return WaveformCache::shared().isLoading(urls[4]); }));

    QTest::mouseClick(bar().transportButtons()[0], Qt::LeftButton); // the previous track
    EXPECT_FALSE(WaveformCache::shared().isLoading(urls[4]));
    WaveformScrubber *scrubber = readyScrubber();
    ASSERT_TRUE(scrubber);
    EXPECT_EQ(scrubber->url(), urls[3]);
    settle(300);
    EXPECT_FALSE(cachedOnDisk(urls[4]));
}

TEST_F(PlayerPanelEndToEndTest, TheTintFollowsThePresetInBothAppearancesAsInThePreview)
{
    WaveformScrubber *scrubber = playFirst({makeAudio(QStringLiteral("tint/tone.flac"), 1)});
    ASSERT_TRUE(scrubber);
    const auto expect = [&](const QString &preset, ColorScheme scheme) {
        const bool light = BrivelloTheme::isLight(scheme);
        const QColor colour = WaveformColorPreview::waveformColor(preset, 0.2, 0.4, 0.6, scheme);
        EXPECT_EQ(scrubber->config().activeTint.color(), WaveformTint::active(colour))
            << preset.toStdString() << light;
        EXPECT_EQ(scrubber->config().inactiveTint.color(), WaveformTint::inactive(colour, light))
            << preset.toStdString() << light;
    };
    expect(QStringLiteral("white"), ColorScheme::dark);
    store().settings().setWaveformCustomRed(0.2);
    store().settings().setWaveformCustomGreen(0.4);
    store().settings().setWaveformCustomBlue(0.6);
    for (const char *preset : {"violet", "custom", "lime"}) {
        store().settings().setWaveformColorPreset(QString::fromLatin1(preset));
        expect(QString::fromLatin1(preset), ColorScheme::dark);
    }
    setAppearance(QStringLiteral("light"));
    ASSERT_EQ(ShellEvents::instance().scheme(), ColorScheme::light);
    expect(QStringLiteral("lime"), ColorScheme::light);
    store().settings().setWaveformColorPreset(QStringLiteral("custom"));
    expect(QStringLiteral("custom"), ColorScheme::light);
    EXPECT_EQ(bar().scrubber(), scrubber) << "recoloured in place";
}

TEST_F(PlayerPanelEndToEndTest, SwitchingTracksQuicklyWithTheHotkeysEndsOnTheLastTracksWaveform)
{
    const QList<QUuid> ids = importAndWait(urls(makeAudioFiles(QStringLiteral("keys/%1.flac"), 6)));
    ASSERT_EQ(ids.size(), 6);
    pressPlay(store().sections().playlistTracks().at(0).id);
    window().activateWindow();
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(&window(), Qt::Key_Down);
        settle(20);
    }
    ASSERT_EQ(player().currentID(), store().sections().playlistTracks().at(5).id);
    WaveformScrubber *scrubber = readyScrubber();
    ASSERT_TRUE(scrubber);
    EXPECT_EQ(scrubber->url(), store().sections().playlistTracks().at(5).url);
    EXPECT_EQ(player().seekCount(), 0);
}

TEST_F(PlayerPanelEndToEndTest, AFileThatIsNotAudioShowsTheStillWaveRatherThanLoadingForever)
{
    ASSERT_TRUE(playFirst({makeAudio(QStringLiteral("bad/good.flac"), 2)}));
    // The file goes away; another one that is no audio at all takes its place in the list.
    const QString text = path(QStringLiteral("bad/notes.mp3"));
    ASSERT_TRUE(test::TestAudioFiles::writeAll(text, "not audio"));
    Track broken = Track::make(QUrl::fromLocalFile(text));
    broken.isInPlaylist = true;
    QList<Track> tracks = store().tracks();
    tracks.append(broken);
    store().setTracks(tracks);
    player().play(broken);
    EXPECT_TRUE(spinUntil([this] { return bar().placeholderWave()->isVisible(); }));
    EXPECT_FALSE(bar().loadingIndicator()->isVisible());
    EXPECT_EQ(bar().scrubber(), nullptr);
}

TEST_F(PlayerPanelEndToEndTest, AShortFileGetsItsScrubberAndADeletedOneNeverAStaleOne)
{
    const QString blip = makeAudio(QStringLiteral("short/blip.flac"), 0.2);
    const QString gone = makeAudio(QStringLiteral("short/gone.flac"), 5);
    const QList<QUuid> ids = importAndWait(urls({blip, gone}));
    ASSERT_EQ(ids.size(), 2);
    pressPlay(ids[0]);
    WaveformScrubber *scrubber = readyScrubber();
    ASSERT_TRUE(scrubber);
    EXPECT_EQ(scrubber->url(), QUrl::fromLocalFile(blip));

    // Deleted while its envelope may still be computed: its own waveform or the still wave.
    player().play(*track(ids[1]));
    ASSERT_TRUE(QFile::remove(gone));
    EXPECT_TRUE(spinUntil([this] {
        WaveformScrubber *shown = bar().scrubber();
        return bar().placeholderWave()->isVisible() ||
               (shown && shown->url().fileName() == QStringLiteral("gone.flac"));
    }));
    if (WaveformScrubber *shown = bar().scrubber()) {
        EXPECT_EQ(shown->url().fileName(), QStringLiteral("gone.flac"));
    }
}

// M4A files whose container states a length other than the audio they hold (a second too
// short; cut short after writing, so a second and a half too long): the panel shows each
// track until the device has played its last decoded frame, then the next one, and never
// goes back.
TEST_F(PlayerPanelEndToEndTest, M4aFilesWithAWrongStatedLengthHandOverAtTheirDecodedEnd)
{
    ASSERT_NO_FATAL_FAILURE(playMisstatedM4as());

    QStringList shown{bar().titleLabel()->text()};
    QList<double> switchedAt;
    double played = 0;
    for (int step = 0; step < 150 && player().isPlaying(); ++step) {
        advanceAudio(0.1);
        played += 0.1;
        const QString title = bar().titleLabel()->text();
        if (title != shown.last()) {
            shown.append(title);
            switchedAt.append(played);
            played = 0;
        }
    }
    EXPECT_EQ(shown.join(QStringLiteral(" > ")),
              QStringLiteral("a stated short > b cut short > c last"));
    ASSERT_GE(switchedAt.size(), 2);
    // The decoded lengths, not the stated 4 s and 5 s.
    EXPECT_NEAR(switchedAt[0], 5.0, 0.15);
    EXPECT_GT(switchedAt[1], 2.5); // about 70% of the audio survives the cut
    EXPECT_LT(switchedAt[1], 4.0);
}

// The clock of such files follows the audio: past a stated length that is too short (rather
// than standing still while the last second plays), and to the decoded end of a file cut
// short (rather than jumping to the stated length when the next track takes over).
TEST_F(PlayerPanelEndToEndTest, TheClockOfAnM4aWithAWrongStatedLengthFollowsItsAudio)
{
    ASSERT_NO_FATAL_FAILURE(playMisstatedM4as());

    struct Reading
    {
        QString title;
        double time;
        double duration;
    };
    QList<Reading> readings;
    const auto read = [&] {
        readings.append({bar().titleLabel()->text(),
                         bar().presenter().displayedCurrentTime(),
                         bar().presenter().displayedDuration()});
    };
    read();
    for (int step = 0; step < 150 && player().isPlaying(); ++step) {
        advanceAudio(0.1);
        read();
    }
    // The last readings of each track before the next one shows.
    const auto lastOf = [&](const QString &title) {
        std::optional<Reading> found;
        for (const Reading &reading : readings) {
            if (reading.title == title)
                found = reading;
        }
        return found;
    };
    const std::optional<Reading> first = lastOf(QStringLiteral("a stated short"));
    const std::optional<Reading> second = lastOf(QStringLiteral("b cut short"));
    ASSERT_TRUE(first && second);
    EXPECT_GT(first->time, 4.6) << "the clock stood at the stated 4 s";
    EXPECT_NEAR(first->duration, 5.0, 0.1);
    EXPECT_LT(second->duration, 4.0) << "the cut file's stated 5 s stayed";
    EXPECT_NEAR(second->time, second->duration, 0.15);
    // Within a track the clock never moves by more than the audio played, never back.
    for (qsizetype i = 1; i < readings.size(); ++i) {
        if (readings[i].title != readings[i - 1].title)
            continue;
        const double step = readings[i].time - readings[i - 1].time;
        EXPECT_GE(step, -0.001) << readings[i].title.toStdString() << " at " << readings[i].time;
        EXPECT_LT(step, 0.35) << readings[i].title.toStdString() << " at " << readings[i].time;
    }
}

// A forward skip into the end of the last track of a file holding more audio than it states
// reports the end and silences the track: the rest of the audio does not play on behind the
// paused panel.
// A click on the scrubber past the stated length of a file that holds more audio lands where
// it was made: the seek is bounded by the length the audio proved, not the stated one.
TEST_F(PlayerPanelEndToEndTest, AClickPastAShortStatedLengthSeeksIntoTheRestOfTheAudio)
{
    // 5 s in M4A stating 4 s: silence, then a tone from 4.6 s on.
    const QString file =
        makeFromLavfi(QStringLiteral("stated/late tone.m4a"),
                      QStringLiteral("aevalsrc='if(gte(t,4.6),0.8*sin(2*PI*440*t),0)':s=44100:d=5"),
                      {"-c:a", "aac"});
    ASSERT_TRUE(test::TestAudioFiles::restateMp4Duration(file, 0.8));
    const QList<QUuid> ids = importAndWait(urls({file}));
    ASSERT_EQ(ids.size(), 1);
    pressPlay(ids[0]);
    WaveformScrubber *scrubber = readyScrubber();
    ASSERT_TRUE(scrubber);
    // The panel shows the audio's length once the decoder has read past the stated one.
    for (int step = 0; step < 120 && bar().presenter().displayedDuration() < 4.95; ++step)
        advanceAudio(0.05);
    ASSERT_NEAR(bar().presenter().displayedDuration(), 5.0, 0.05)
        << "the audio's length never showed";
    ASSERT_LT(player().progress().currentTime(), 4.5) << player().progress().currentTime();

    const int w = scrubber->width();
    QTest::mouseClick(scrubber, Qt::LeftButton, {}, QPoint(int(w * 0.96), 5));
    advanceAudio(0.1);
    EXPECT_GT(player().progress().currentTime(), 4.75) << "the seek stopped at the stated 4 s";
    const std::optional<qint64> audible = player().engine().seekAudibleFrame();
    ASSERT_TRUE(audible);
    EXPECT_GT(peak(sink()->captured(), *audible, *audible + 4410), 0.3f)
        << "what played after the click was not the file's tone past 4.6 s";
}

TEST_F(PlayerPanelEndToEndTest, ASkipIntoTheEndOfTheLastTrackStopsItsSound)
{
    const QString stated = makeFromLavfi(QStringLiteral("only.m4a"),
                                         QStringLiteral("sine=frequency=440:sample_rate=44100:d=5"),
                                         {"-c:a", "aac"});
    ASSERT_TRUE(test::TestAudioFiles::restateMp4Duration(stated, 0.8));
    const QList<QUuid> ids = importAndWait(urls({stated}));
    ASSERT_EQ(ids.size(), 1);
    pressPlay(ids[0]);
    advanceAudio(0.5);
    ASSERT_TRUE(player().isPlaying());

    QTest::mouseClick(bar().transportButtons()[3], Qt::LeftButton);
    ASSERT_TRUE(spinUntil([this] { return !player().isPlaying(); }))
        << "the skip past the end never reported it";
    EXPECT_EQ(bar().presenter().playIcon(), QStringLiteral("play.fill"));
    const auto heardFrom = qint64(sink()->captured().size() / 2);
    advanceAudio(1.5);
    EXPECT_FALSE(player().engine().isPlaying());
    EXPECT_LT(peak(sink()->captured(), heardFrom + 4096, heardFrom + 66150), 0.001f)
        << "the rest of the file played on after its end was reported";
}

// A cover given to the playing track from the covers section shows in the panel at once; the
// panel's refresh on a library change looks at the cover as well as the texts.
TEST_F(PlayerPanelEndToEndTest, ACoverGivenToThePlayingTrackShowsInThePanel)
{
    const QString file = makeAudio(QStringLiteral("covered/a.mp3"), 2.0);
    const QList<QUuid> ids = importAndWait(urls({file}));
    ASSERT_EQ(ids.size(), 1);
    pressPlay(ids[0]);
    auto *artwork = bar().findChild<Artwork *>();
    ASSERT_TRUE(artwork);
    const auto middle = [artwork] {
        const QImage shown = artwork->grab().toImage();
        return shown.pixelColor(shown.width() / 2, shown.height() / 2);
    };
    const QColor picture(200, 40, 90); // the colour of TestAudioFiles' pictures
    EXPECT_NE(middle(), picture) << "the placeholder shows before the cover";

    const QString png = path(QStringLiteral("cover.png"));
    ASSERT_TRUE(test::TestAudioFiles::writeAll(png, test::TestAudioFiles::pngPicture(48)));
    store().importer().importForCovers(urls({file}));
    ASSERT_TRUE(spinUntil([this] { return store().sections().coverTracks().size() == 1; }));
    CoverManager *covers = showSection<CoverManager>(Tab::covers);
    ASSERT_TRUE(covers);
    covers->handleDroppedURLs({QUrl::fromLocalFile(png)});
    ASSERT_TRUE(spinUntil([covers] { return !covers->artworkData().isEmpty(); }));
    pressKey(Qt::Key_A, Qt::ControlModifier);
    ASSERT_TRUE(covers->assignButton()->isEnabled());
    QTest::mouseClick(covers->assignButton(), Qt::LeftButton);
    ASSERT_TRUE(spinUntil([this, &ids] {
        return store().artworkWritingIDs().isEmpty() && track(ids[0]) &&
               !track(ids[0])->artwork.isNull();
    }));
    ASSERT_TRUE(player().isPlaying());
    settle();
    EXPECT_EQ(middle(), picture) << "the panel kept the placeholder of the playing track";
}

TEST_F(PlayerPanelEndToEndTest, ScreenshotOfAPlayingTrackWithLoudAndQuietPassages)
{
    // Verses and a breakdown: the level swells and drops over 48 seconds.
    const QString file =
        render(QStringLiteral("shot/Brivello - Night Drive.flac"),
               QStringLiteral("(0.12+0.88*abs(sin(PI*t/16))*gt(mod(t,24),3))*sin(2*PI*110*t)"
                              "*(0.6+0.4*sin(2*PI*2*t))"),
               48);
    WaveformScrubber *scrubber = playFirst({file});
    ASSERT_TRUE(scrubber);
    const auto [low, high] =
        std::minmax_element(scrubber->samples().cbegin(), scrubber->samples().cend());
    EXPECT_LT(*low, 0.2f);
    EXPECT_GT(*high, 0.8f);
    advanceAudio(17);
    const QImage shot = settledGrab();
    const QRect panel(bar().mapTo(&window(), QPoint(0, 0)), bar().size());
    saveScreenshot(QStringLiteral("player-playing.png"), shot.copy(panel));
}

} // namespace

} // namespace brivello
