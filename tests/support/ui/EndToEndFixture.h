#pragma once

#include "library/LibraryStore.h"
#include "playback/CaptureAudioSink.h"
#include "playback/EngineAudioPlayer.h"
#include "shell/BrivelloApp.h"
#include "shell/MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace brivello {
class PlaylistView;
}

namespace brivello::testing {

// The application as a user meets it: the real main window over a real store with its
// workspace parts, real metadata loads, the playback engine on a capture sink (audio advances
// only through advanceAudio()), the shared waveform cache in the test's cache folder, the real
// scheduler (unless a test restarts it on its own) and clean settings. Files live in a
// temporary folder. Main thread.
class EndToEndFixture : public ::testing::Test
{
protected:
    using Tab = LibraryStore::LibraryTab;

    void SetUp() override;
    void TearDown() override;

    BrivelloApp &app() { return *m_app; }
    MainWindow &window() { return m_app->window(); }
    LibraryStore &store() { return m_app->store(); }
    EngineAudioPlayer &player() { return m_app->player(); }
    // The sink of the file playing now (the engine makes one per opened file); null before
    // and once the engine has dropped it.
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
    // The same, and from now on every delay and time-out of the application runs on
    // `scheduler` (virtual time, a member of the test so that it outlives the application).
    void restartAppOn(Scheduler &scheduler);
    // `count` tones named by `pattern` with %1 as 00, 01, …; their paths.
    QStringList makeAudioFiles(const QString &pattern, int count, double seconds = 1.0);
    struct ImportedFolder
    {
        QList<QUrl> files;
        QList<QUuid> ids;
    };
    // More rows than a list shows at the window's minimum size (nine), so a select-all or a
    // drag of every row reaches rows out of sight.
    static constexpr int kFolderRows = 14;
    // The harsh case the window tests share: the interface in English, the window at its
    // minimum size and kFolderRows short tones of one folder imported into the playlist.
    ImportedFolder importFolderInEnglishAtMinimumSize();
    // Every section, in the sidebar's order.
    static const QList<Tab> &allSections();
    // A file ffmpeg renders from a lavfi graph; `outputArguments` go before the output name.
    QString makeFromLavfi(const QString &relativePath,
                          const QString &graph,
                          const QStringList &outputArguments = {});
    static QList<QUrl> urls(const QStringList &files);
    // The store's track with that id, if it still has one.
    std::optional<Track> track(const QUuid &id) const;
    // Queues files in the converter and waits until they are listed.
    QList<ConversionItem> queueForConversion(const QList<QUrl> &urls);
    // The picture embedded in an audio file: metaflac's for FLAC, ffmpeg's copy otherwise.
    static QByteArray embeddedPicture(const QString &file);
    // A tag of the file on disk as ffprobe reads it, and waiting until it reads `value`.
    static QString tag(const QString &file, const QString &key);
    static bool waitForTag(const QString &file, const QString &key, const QString &value);

    // Switches sections as the window does and returns the section's view once shown.
    template <typename View = QWidget> View *showSection(Tab tab)
    {
        return qobject_cast<View *>(activateSection(tab));
    }
    // Presses the sidebar's button of the section; whether that section is active then.
    bool clickSectionButton(Tab tab);
    // A key press as the keyboard delivers it: to the focused control, else to the window.
    void pressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Left click at `at` of `widget`, then the queued events run.
    static void
    clickAt(QWidget *widget, const QPoint &at, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // An outside drag of `files` released at `at` of `target`; whether the drop was taken.
    static bool dropFiles(QWidget *target, const QPoint &at, const QStringList &files);
    // The first visible widget of type W in the application that `match` accepts.
    template <typename W>
    static W *visibleWidget(const std::function<bool(const W &)> &match = nullptr)
    {
        for (QWidget *widget : QApplication::allWidgets()) {
            auto *found = qobject_cast<W *>(widget);
            if (found && found->isVisible() && (!match || match(*found)))
                return found;
        }
        return nullptr;
    }
    // The playlist's list while the playlist is shown; null otherwise.
    PlaylistView *playlistView();
    // The middle of a playlist row's content, where a click selects it.
    QPoint playlistRowPoint(int row);
    // The visible button showing `text`.
    static QAbstractButton *visibleButton(const QString &text);
    // The status line the workspace shows now; empty without one.
    QString statusMessage();
    // Sets the stored appearance ("light", "dark") and lets the window follow.
    static void setAppearance(const QString &appearance);

    // Renders `seconds` of audio on the capture sink and lets the player's clock follow.
    void advanceAudio(double seconds);

    // Runs the event loop until `done` holds; false after `timeoutMs`.
    static bool spinUntil(const std::function<bool()> &done, int timeoutMs = 60000);
    // Lets queued events and zero-delay timers run for `ms` milliseconds.
    static void settle(int ms = 50);
    // The window once every running animation in it has reached its end.
    QImage settledGrab();
    // The same, drawn with the application palette the program sets at its start.
    QImage settledGrabInAppPalette();
    // Writes the image under $BRIVELLO_SCREENSHOT_DIR when that is set.
    static void saveScreenshot(const QString &name, const QImage &image);

private:
    void launch();
    QWidget *activateSection(Tab tab);

    QTemporaryDir m_dir;
    std::unique_ptr<BrivelloApp> m_app;
    CaptureAudioSink *m_sink = nullptr;
    Scheduler *m_scheduler = nullptr; // null: the real clock
};

} // namespace brivello::testing
