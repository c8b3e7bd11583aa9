#pragma once

#include "library/LibraryStore.h"
#include "playback/CaptureAudioSink.h"
#include "playback/EngineAudioPlayer.h"
#include "shell/BrivelloApp.h"
#include "shell/MainWindow.h"

#include <QImage>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace brivello::testing {

// The application as a user meets it: the real main window over a real store with its
// workspace parts, real metadata loads, the playback engine on a capture sink (audio advances
// only through advanceAudio()), the shared waveform cache in the test's cache folder, the real
// scheduler and clean settings. Files live in a temporary folder. Main thread.
class EndToEndFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    BrivelloApp &app() { return *m_app; }
    MainWindow &window() { return m_app->window(); }
    LibraryStore &store() { return m_app->store(); }
    EngineAudioPlayer &player() { return m_app->player(); }
    // The sink of the file playing now (the engine makes one per opened file); null before.
    CaptureAudioSink *sink() const { return m_sink; }

    QString path(const QString &relativePath) const;
    QUrl url(const QString &relativePath) const;
    // A generated tone (TestAudioFiles::make) under the temporary folder; its path.
    QString
    makeAudio(const QString &relativePath, double seconds = 1.0, const QStringList &extra = {});
    // Imports into the playlist and waits until every file's tags and duration are read.
    QList<QUuid> importAndWait(const QList<QUrl> &urls);
    // Quits as the application does (the snapshot written at once) and starts it again over
    // the same settings and files.
    void restartApp();
    // Renders `seconds` of audio on the capture sink and lets the player's clock follow.
    void advanceAudio(double seconds);

    // Runs the event loop until `done` holds; false after `timeoutMs`.
    static bool spinUntil(const std::function<bool()> &done, int timeoutMs = 60000);
    // Lets queued events and zero-delay timers run for `ms` milliseconds.
    static void settle(int ms = 50);
    // The window once every running animation in it has reached its end.
    QImage settledGrab();
    // Writes the image under $BRIVELLO_SCREENSHOT_DIR when that is set.
    static void saveScreenshot(const QString &name, const QImage &image);

private:
    void launch();

    QTemporaryDir m_dir;
    std::unique_ptr<BrivelloApp> m_app;
    CaptureAudioSink *m_sink = nullptr;
};

} // namespace brivello::testing
