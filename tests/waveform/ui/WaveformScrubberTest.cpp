#include "waveform/ui/WaveformScrubber.h"

#include "support/TestAudioFiles.h"
#include "waveform/AudioProcessor.h"
#include "waveform/BezierCurveDrawer.h"
#include "waveform/DefaultWaveformScrubberStyle.h"
#include "waveform/WaveformCache.h"
#include "waveform/ui/WaveformScrubberStyleKey.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <gtest/gtest.h>

using namespace brivello;
using test::TestAudioFiles;

namespace {

const QColor kPlayed(220, 40, 40);
const QColor kUnplayed(40, 40, 220);

// Every test draws a constant full-height envelope served at once by a private cache, over a
// real one-second file (for its duration).
class WaveformScrubberTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_file = TestAudioFiles::make(m_dir.path(), "tone.wav", 1.0);
        ASSERT_FALSE(m_file.isEmpty());
        m_cache = std::make_unique<WaveformCache>(
            m_dir.filePath("cache"),
            [](QUrl, int count, bool, std::stop_token) -> QCoro::Task<std::vector<float>> {
                co_return std::vector<float>(size_t(count), 1.0f);
            });
    }

    // Loads still under way finish before the cache they use goes away.
    void TearDown() override { settlePool(); }

    std::unique_ptr<WaveformScrubber>
    makeView(double progress, QSize size = {400, 60}, QWidget *parent = nullptr)
    {
        auto view = std::make_unique<WaveformScrubber>(
            ScrubberConfig{kPlayed, kUnplayed},
            std::make_shared<BezierCurveDrawer>(BezierCurveDrawer::Config{0.72, 3}),
            QUrl::fromLocalFile(m_file),
            progress,
            parent,
            m_cache.get());
        view->resize(size);
        return view;
    }
    static void showAndLoad(WaveformScrubber &view)
    {
        QSignalSpy loaded(&view, &WaveformScrubber::samplesChanged);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
        EXPECT_TRUE(loaded.count() > 0 || loaded.wait());
    }
    // Mouse events sent straight to the view: a zero-width view gets them too.
    static void mouse(QWidget *view, QEvent::Type type, QPoint at)
    {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
        QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    }
    static void press(QWidget *view, QPoint at) { mouse(view, QEvent::MouseButtonPress, at); }
    static void move(QWidget *view, QPoint at) { mouse(view, QEvent::MouseMove, at); }
    static void release(QWidget *view, QPoint at) { mouse(view, QEvent::MouseButtonRelease, at); }

    static bool near(QColor a, QColor b)
    {
        return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8 &&
               std::abs(a.blue() - b.blue()) < 8;
    }
    static void settlePool()
    {
        for (int i = 0; i < 8; ++i) {
            EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(60000))
                << "pool work never ended";
            QCoreApplication::processEvents();
        }
    }

    QTemporaryDir m_dir;
    QString m_file;
    std::unique_ptr<WaveformCache> m_cache;
};

TEST_F(WaveformScrubberTest, AtAQuarterThePlayedPartCoversTheFirstHundredPoints)
{
    auto view = makeView(0.25);
    QSignalSpy info(view.get(), &WaveformScrubber::infoLoaded);
    showAndLoad(*view);
    EXPECT_EQ(view->samples().size(), 133u); // 400 / 3 points per sample
    const QImage image = view->grab().toImage();
    for (int x : {2, 50, 98})
        EXPECT_TRUE(near(image.pixelColor(x, 30), kPlayed)) << x;
    for (int x : {102, 250, 397})
        EXPECT_TRUE(near(image.pixelColor(x, 30), kUnplayed)) << x;

    ASSERT_TRUE(info.count() > 0 || info.wait());
    EXPECT_NEAR(info.first().first().value<AudioInfo>().duration, 1.0, 0.05);
}

TEST_F(WaveformScrubberTest, ADragShowsTheFingerAndWritesProgressOnceAtRelease)
{
    auto view = makeView(0.25);
    showAndLoad(*view);
    QSignalSpy written(view.get(), &WaveformScrubber::progressEdited);
    QSignalSpy gesture(view.get(), &WaveformScrubber::gestureActiveChanged);

    press(view.get(), QPoint(200, 30));
    EXPECT_EQ(gesture.count(), 1);
    EXPECT_DOUBLE_EQ(view->displayedProgress(), 0.5);
    view->setProgress(0.9); // the player moving on: not shown during the drag
    move(view.get(), QPoint(300, 30));
    EXPECT_DOUBLE_EQ(view->displayedProgress(), 0.75);
    const QImage dragging = view->grab().toImage();
    EXPECT_TRUE(near(dragging.pixelColor(280, 30), kPlayed));
    EXPECT_TRUE(near(dragging.pixelColor(320, 30), kUnplayed));
    move(view.get(), QPoint(520, 30));
    EXPECT_DOUBLE_EQ(view->displayedProgress(), 1.0);
    EXPECT_EQ(written.count(), 0);

    release(view.get(), QPoint(520, 30));
    ASSERT_EQ(written.count(), 1);
    EXPECT_DOUBLE_EQ(written.first().first().toDouble(), 1.0);
    EXPECT_DOUBLE_EQ(view->progress(), 1.0);
    ASSERT_EQ(gesture.count(), 2);
    EXPECT_TRUE(gesture[0][0].toBool());
    EXPECT_FALSE(gesture[1][0].toBool());

    view->setProgress(0.4);
    EXPECT_DOUBLE_EQ(view->displayedProgress(), 0.4);
    press(view.get(), QPoint(-30, 30));
    release(view.get(), QPoint(-30, 30));
    EXPECT_DOUBLE_EQ(written.last().first().toDouble(), 0.0);
}

TEST_F(WaveformScrubberTest, ZeroWidthAndDisappearanceEndTheGestureWithoutWriting)
{
    QWidget host;
    host.resize(400, 40);
    auto view = makeView(0.5, {0, 40}, &host);
    host.show();
    QSignalSpy written(view.get(), &WaveformScrubber::progressEdited);
    QSignalSpy gesture(view.get(), &WaveformScrubber::gestureActiveChanged);
    press(view.get(), QPoint(0, 10));
    release(view.get(), QPoint(0, 10));
    ASSERT_EQ(gesture.count(), 1);
    EXPECT_FALSE(gesture[0][0].toBool());
    EXPECT_TRUE(view->samples().empty());

    view->resize(400, 40);
    press(view.get(), QPoint(100, 10));
    view->hide();
    ASSERT_EQ(gesture.count(), 3);
    EXPECT_FALSE(gesture[2][0].toBool());
    EXPECT_EQ(written.count(), 0);
    EXPECT_DOUBLE_EQ(view->progress(), 0.5);
}

TEST_F(WaveformScrubberTest, ResizingKeepsTheOldDrawingUntilTheNewOneIsReady)
{
    auto view = makeView(0.0);
    showAndLoad(*view);
    QSignalSpy loaded(view.get(), &WaveformScrubber::samplesChanged);
    view->resize(600, 30); // width and height change
    // Never blank in between: the old drawing, or already the new one.
    EXPECT_TRUE(view->samples().size() == 133u || view->samples().size() == 200u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->samples().size() == 200u; }));
    const qsizetype loads = loaded.count();
    view->resize(600, 90); // a new height alone reloads too
    EXPECT_FALSE(view->samples().empty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return loaded.count() > loads; }));
}

// The duration belongs to the file, not the size: resizing redraws without probing it again,
// a new file is probed once.
TEST_F(WaveformScrubberTest, TheDurationIsReportedOncePerFileHoweverOftenTheViewResizes)
{
    const QString longer = TestAudioFiles::make(m_dir.path(), "longer.wav", 2.0);
    ASSERT_FALSE(longer.isEmpty());
    auto view = makeView(0.5);
    QSignalSpy info(view.get(), &WaveformScrubber::infoLoaded);
    showAndLoad(*view);
    ASSERT_TRUE(info.count() > 0 || info.wait());
    for (const QSize size : {QSize(600, 60), QSize(300, 40), QSize(300, 80)}) {
        QSignalSpy loaded(view.get(), &WaveformScrubber::samplesChanged);
        view->resize(size);
        EXPECT_TRUE(loaded.count() > 0 || loaded.wait());
    }
    settlePool();
    EXPECT_EQ(info.count(), 1);

    view->setUrl(QUrl::fromLocalFile(longer));
    ASSERT_TRUE(info.count() > 1 || info.wait());
    view->resize(500, 60);
    settlePool();
    ASSERT_EQ(info.count(), 2);
    EXPECT_NEAR(info.last().first().value<AudioInfo>().duration, 2.0, 0.05);
}

TEST_F(WaveformScrubberTest, AFailedLoadPrintsOneLineAndDrawsNothing)
{
    auto view = makeView(0.25);
    view->setUrl(QUrl::fromLocalFile(m_dir.filePath("gone.mp3")));
    testing::internal::CaptureStdout();
    view->show();
    settlePool();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "WaveformScrubber failed to process audio: No such file or directory\n");
    EXPECT_TRUE(view->samples().empty());
}

TEST_F(WaveformScrubberTest, AStatedLengthOfZeroIsReportedAndNewTintsRepaint)
{
    const QString empty = m_dir.filePath("empty.m4a");
    const auto made = TestAudioFiles::run(
        "ffmpeg",
        {"-v", "error", "-f", "lavfi", "-i", "anullsrc=r=44100:cl=mono", "-t", "0", empty});
    ASSERT_TRUE(made.ok()) << made.err.constData();
    auto view = makeView(1.0);
    view->setUrl(QUrl::fromLocalFile(empty));
    QSignalSpy info(view.get(), &WaveformScrubber::infoLoaded);
    showAndLoad(*view);
    ASSERT_TRUE(info.count() > 0 || info.wait());
    EXPECT_EQ(info.first().first().value<AudioInfo>().duration, 0.0);

    const QColor green(30, 200, 30);
    view->setConfig(ScrubberConfig{green, kUnplayed});
    EXPECT_TRUE(near(view->grab().toImage().pixelColor(200, 30), green));
}

TEST(WaveformScrubberLookTest, ScreenshotOfThePlayerLook)
{
    const QString folder = qEnvironmentVariable("BRIVELLO_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "set BRIVELLO_SCREENSHOT_DIR to write the screenshot";
    QTemporaryDir dir;
    const QString file = dir.filePath("mix.wav");
    ASSERT_TRUE(
        TestAudioFiles::run("ffmpeg",
                            TestAudioFiles::lavfiArguments(
                                "aevalsrc='sin(2*PI*220*t)*(0.25+0.75*abs(sin(2*PI*0.11*t)))"
                                "*(0.55+0.45*sin(2*PI*1.3*t))':d=40")
                                << file)
            .ok());
    WaveformCache cache(dir.filePath("cache"), &AudioProcessor::extractEnvelope);
    QWidget panel;
    panel.setStyleSheet("background: #1c1d22;");
    panel.resize(820, 100);
    const QColor tint(94, 214, 196);
    QColor played = tint, unplayed = tint;
    played.setAlphaF(0.96f);
    unplayed.setAlphaF(0.2f);
    WaveformScrubberStyleKey::set(&panel,
                                  std::make_shared<DefaultWaveformScrubberStyle>(played, unplayed));
    WaveformScrubber view(ScrubberConfig{played, unplayed},
                          std::make_shared<BezierCurveDrawer>(BezierCurveDrawer::Config{0.72, 3}),
                          QUrl::fromLocalFile(file),
                          0.37,
                          &panel,
                          &cache);
    view.setGeometry(10, 29, 800, 42);
    QSignalSpy loaded(&view, &WaveformScrubber::samplesChanged);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    ASSERT_TRUE(loaded.count() > 0 || loaded.wait(30000));
    QDir().mkpath(folder);
    EXPECT_TRUE(panel.grab().save(QDir(folder).filePath("waveform-scrubber.png")));
}

} // namespace

namespace {

TEST(WaveformScrubberStyleKeyTest, TheNearestStyleWinsAndTheDefaultStandsIn)
{
    QWidget outer;
    auto *inner = new QWidget(&outer);
    auto *leaf = new QWidget(inner);
    EXPECT_EQ(WaveformScrubberStyleKey::resolve(leaf), WaveformScrubberStyleKey::defaultStyle());
    const auto outerStyle = std::make_shared<DefaultWaveformScrubberStyle>(Qt::red, Qt::blue);
    const auto innerStyle = std::make_shared<DefaultWaveformScrubberStyle>(Qt::green, Qt::blue);
    WaveformScrubberStyleKey::set(&outer, outerStyle);
    EXPECT_EQ(WaveformScrubberStyleKey::resolve(leaf), outerStyle);
    WaveformScrubberStyleKey::set(inner, innerStyle);
    EXPECT_EQ(WaveformScrubberStyleKey::resolve(leaf), innerStyle);
    EXPECT_EQ(WaveformScrubberStyleKey::resolve(&outer), outerStyle);
}

} // namespace
