#pragma once

#include "BrivelloTheme.h"
#include "PixmapStrips.h"
#include "library/LibraryStore.h"
#include "settings/UpdateManager.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <memory>

class QKeyEvent;
class QUndoStack;

namespace brivello {

class AppKeyboardMonitor;
class AudioPlayer;
class FavoritesExportController;
class MainWindowKeyHandler;
class TrackNavigation;
class ContentArea;
class DashboardSidebar;
class MainWindowController;
class ResizablePlayerDashboardBlock;
class SectionToolbar;

// The one window: canvas with two glows, the sidebar and the column of toolbar, section
// content and player block; the two alerts; the update prompt. Main thread.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMargin = 16;
    static constexpr int kDefaultWidth = 1440;
    static constexpr int kDefaultHeight = 900;
    static constexpr int kMinimumWidth = 1280;
    static constexpr int kMinimumHeight = 760;
    // While metadata loads run, at most one frame per this many milliseconds.
    static constexpr int kLoadingFrameMs = 33;

    MainWindow(LibraryStore &store,
               AudioPlayer &player,
               UpdateManager &updates,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    MainWindowController &controller() const { return *m_controller; }
    DashboardSidebar *sidebar() const { return m_sidebar; }
    SectionToolbar *toolbar() const { return m_toolbar; }
    ContentArea *contentArea() const { return m_content; }
    ResizablePlayerDashboardBlock *playerBlock() const { return m_player; }
    QMessageBox *errorAlert() const { return m_errorAlert; }
    QMessageBox *noticeAlert() const { return m_noticeAlert; }

    // Sheets of the settings subsystem; installed when they exist.
    void setSettingsPresenter(std::function<void()> present) { m_presentSettings = present; }
    // The settings sheet, as the sidebar's button and Ctrl+, open it; one at a time.
    void presentSettings();
    void setUpdatePresenter(std::function<void(const UpdateManager::Release &)> present)
    {
        m_presentUpdate = present;
    }

    // --- Playlist section, hotkeys, next track, favourites export (MainWindowPlaylist.cpp).
    MainWindowKeyHandler &keyHandler() const { return *m_keyHandler; }
    TrackNavigation &navigation() const { return *m_navigation; }
    FavoritesExportController &favoritesExport() const { return *m_favoritesExport; }
    QUndoStack *undoStack() const { return m_undoStack; }
    // The key monitor's decision for a press that `receiver` gets.
    bool handleKeyDown(const QKeyEvent &event, QWidget *receiver);
    // Redo (Ctrl+Shift+Z, Ctrl+Y) on the window's undo stack, beside the configurable hotkeys.
    bool handleWindowShortcut(const QKeyEvent &event);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void relayout();
    void showErrorAlert();
    void showNoticeAlert();
    QMessageBox *makeAlert(std::function<void()> onClose);

    LibraryStore &m_store;
    MainWindowController *m_controller = nullptr;
    DashboardSidebar *m_sidebar = nullptr;
    SectionToolbar *m_toolbar = nullptr;
    ContentArea *m_content = nullptr;
    ResizablePlayerDashboardBlock *m_player = nullptr;
    QPointer<QMessageBox> m_errorAlert;
    QPointer<QMessageBox> m_noticeAlert;
    std::function<void()> m_presentSettings;
    std::function<void(const UpdateManager::Release &)> m_presentUpdate;
    bool m_appeared = false;
    SchemeDrawing m_canvas;
    // Frame pacing while metadata loads run (see event()).
    QElapsedTimer m_lastFrame;
    bool m_frameDeferred = false;

    // Playlist wiring (MainWindowPlaylist.cpp).
    void installPlaylist(AudioPlayer &player);
    std::shared_ptr<TrackNavigation> m_navigation;
    std::shared_ptr<MainWindowKeyHandler> m_keyHandler;
    AppKeyboardMonitor *m_keyboardMonitor = nullptr;
    FavoritesExportController *m_favoritesExport = nullptr;
    QUndoStack *m_undoStack = nullptr;

    // Covers, converter and duplicates (MainWindowWorkspaces.cpp).
    void installWorkspaces(AudioPlayer &player);
};

} // namespace brivello
