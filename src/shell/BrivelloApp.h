#pragma once

#include "playback/AudioPlaybackEngine.h"

#include <QObject>
#include <Qt>
#include <memory>

class QAction;
class QKeySequence;

namespace brivello {

class EngineAudioPlayer;
class LibraryStore;
class MainWindow;
class QtDialogTranslation;
class Scheduler;
class UpdateManager;
class WindowPlacementKeeper;

// The application: owns, for the whole process, the one store, player and update manager and
// the main window; applies the look and the language; saves the workspace snapshot at once
// when the application deactivates, the window closes or the process quits. Main thread;
// created in main() after the QApplication.
class BrivelloApp : public QObject
{
    Q_OBJECT
public:
    // What a test that composes the whole application replaces.
    struct Services
    {
        // Replaces the sound card (tests play on a capture sink).
        AudioPlaybackEngine::SinkFactory sinkFactory;
        // Every delay, debounce and time-out of the composed parts; null is the real clock.
        Scheduler *scheduler = nullptr;
    };

    BrivelloApp();
    explicit BrivelloApp(Services services);
    ~BrivelloApp() override;

    // Names the application, sets the Fusion style and the scheme's palette.
    static void configureApplication();

    LibraryStore &store() const { return *m_store; }
    EngineAudioPlayer &player() const { return *m_player; }
    UpdateManager &updates() const { return *m_updates; }
    MainWindow &window() const { return *m_window; }
    QAction *addFilesAction() const { return m_addFiles; }
    // Ctrl+Q and Ctrl+W: both leave through the window's close, which writes the snapshot.
    QAction *quitAction() const { return m_quit; }
    QAction *closeWindowAction() const { return m_closeWindow; }
    QAction *openSettingsAction() const { return m_openSettings; }

    // Shows the window where it was left, or centred on the screen at the first start.
    void show();

private:
    void retranslate();
    static void applyPalette();
    QAction *addWindowAction(const QKeySequence &keys, Qt::ShortcutContext context);

    Scheduler &m_scheduler;
    // First, so every widget and dialog is made with Qt's texts in the interface language.
    std::unique_ptr<QtDialogTranslation> m_qtTranslation;
    std::unique_ptr<LibraryStore> m_store;
    std::unique_ptr<EngineAudioPlayer> m_player;
    std::unique_ptr<UpdateManager> m_updates;
    std::unique_ptr<MainWindow> m_window;
    WindowPlacementKeeper *m_placement = nullptr;
    QAction *m_addFiles = nullptr;
    QAction *m_quit = nullptr;
    QAction *m_closeWindow = nullptr;
    QAction *m_openSettings = nullptr;
};

} // namespace brivello
