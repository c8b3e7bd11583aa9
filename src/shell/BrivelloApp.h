#pragma once

#include <QObject>
#include <memory>

class QAction;

namespace brivello {

class AudioPlayer;
class LibraryStore;
class MainWindow;
class UpdateManager;

// The application: owns, for the whole process, the one store, player and update manager and
// the main window; applies the look and the language; saves the workspace snapshot at once
// when the application deactivates, the window closes or the process quits. Main thread;
// created in main() after the QApplication.
class BrivelloApp : public QObject
{
    Q_OBJECT
public:
    BrivelloApp();
    ~BrivelloApp() override;

    // Names the application, sets the Fusion style and the scheme's palette.
    static void configureApplication();

    LibraryStore &store() const { return *m_store; }
    AudioPlayer &player() const { return *m_player; }
    UpdateManager &updates() const { return *m_updates; }
    MainWindow &window() const { return *m_window; }
    QAction *addFilesAction() const { return m_addFiles; }

    void show();

private:
    void retranslate();
    static void applyPalette();

    std::unique_ptr<LibraryStore> m_store;
    std::unique_ptr<AudioPlayer> m_player;
    std::unique_ptr<UpdateManager> m_updates;
    std::unique_ptr<MainWindow> m_window;
    QAction *m_addFiles = nullptr;
};

} // namespace brivello
