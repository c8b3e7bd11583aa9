// MainWindow: the playlist section, the window's hotkeys, the next track after one ended,
// drops on the section buttons and the favourites' export and converter commands.
#include "AppKeyboardMonitor.h"
#include "ContentArea.h"
#include "DashboardSidebar.h"
#include "MainWindow.h"
#include "MainWindowKeyHandler.h"
#include "PlaylistDrops.h"
#include "PlaylistSection.h"
#include "SectionToolbar.h"
#include "analysis/ui/QualityAnalyzerView.h"
#include "favorites/ui/FavoritesExportController.h"
#include "favorites/ui/FavoritesSection.h"
#include "favorites/ui/GenreQuickBar.h"
#include "library/AudioPlayer.h"
#include "library/FavoriteMembership.h"
#include "library/LibraryCleaner.h"
#include "library/LibrarySections.h"
#include "playback/TrackNavigation.h"
#include "settings/KeyStroke.h"
#include "workspaces/MainWindowController.h"

#include <QApplication>
#include <QUndoStack>

namespace brivello {

namespace {

// What the cleaner acts on: the section's own selection. The converter's queue items and the
// duplicate finder's files are not library tracks: the library tracks of their files are
// cleaned, as the cleaner works on the library alone.
QSet<QUuid> cleanerTargets(const LibraryStore &store)
{
    QSet<QUrl> files;
    switch (store.activeTab()) {
    case LibraryStore::LibraryTab::converter: {
        QSet<QUuid> items = store.converterSelectedItemIDs();
        if (items.isEmpty() && store.converterFocusedItemID())
            items.insert(*store.converterFocusedItemID());
        for (const ConversionItem &item : store.conversionItems()) {
            if (items.contains(item.id))
                files.insert(item.url);
        }
        break;
    }
    case LibraryStore::LibraryTab::duplicates: {
        QSet<QUuid> ids = store.duplicateSearch().selectedTrackIDs;
        if (ids.isEmpty() && store.duplicateSearch().focusedTrackID)
            ids.insert(*store.duplicateSearch().focusedTrackID);
        for (const Track &track : store.duplicateTracks()) {
            if (ids.contains(track.id))
                files.insert(track.url);
        }
        break;
    }
    default:
        return store.sections().activeSelection();
    }
    QSet<QUuid> targets;
    for (const Track &track : store.tracks()) {
        if (files.contains(track.url))
            targets.insert(track.id);
    }
    return targets;
}

} // namespace

void MainWindow::installPlaylist(AudioPlayer &player)
{
    using Tab = LibraryStore::LibraryTab;
    LibraryStore &store = m_store;
    MainWindowController *controller = m_controller;

    m_undoStack = new QUndoStack(this);
    store.favorites().setWindowUndoStack(m_undoStack);

    m_content->setSectionFactory(Tab::playlist, [&store, &player](QWidget *parent) -> QWidget * {
        return new PlaylistSection(store, player, parent);
    });
    m_content->setSectionFactory(
        Tab::favorites, [this, &store, &player](QWidget *parent) -> QWidget * {
            auto *section = new FavoritesSection(store, &player, m_undoStack, parent);
            section->setTopBar(new GenreQuickBar(
                store, [this] { return isActiveWindow() ? m_undoStack : nullptr; }, section));
            return section;
        });
    m_content->setSectionFactory(Tab::analysis, [&store, &player](QWidget *parent) -> QWidget * {
        return new QualityAnalyzerView(store, player, parent);
    });
    m_content->setPlaylistDropHandler([&store](const QList<QUrl> &urls) {
        PlaylistDrops::importDroppedFilesIntoPlaylist(store, urls);
    });
    m_sidebar->setDropReceiver([&store, controller](const QList<QUrl> &urls, Tab tab) {
        PlaylistDrops::receiveDroppedTracks(
            store, urls, tab, [controller](Tab target) { controller->activateTab(target); });
    });

    m_navigation = std::make_shared<TrackNavigation>(store, player);
    m_controller->setPlayNextAfterCompletion([this] { m_navigation->playNextAfterCompletion(); });

    m_keyHandler = std::make_shared<MainWindowKeyHandler>(store, player, *m_navigation);
    m_keyHandler->undoStack = [this] { return m_undoStack; };
    m_keyHandler->runCleaner = [&store] {
        store.cleaner().runConfiguredCleaner(cleanerTargets(store));
    };
    m_keyboardMonitor = new AppKeyboardMonitor(this);
    m_keyboardMonitor->start([this](const QKeyEvent &event, QWidget *receiver) {
        return handleKeyDown(event, receiver);
    });

    m_favoritesExport = new FavoritesExportController(
        store, [controller](Tab tab) { controller->activateTab(tab); }, this);
    SectionToolbar::FavoritesActions actions;
    actions.clean = [&store] { store.cleaner().runConfiguredCleaner(); };
    actions.sendToConverter = [this] { m_favoritesExport->sendFavoritesToConverter(); };
    actions.sendToAnalysis = [&store] {
        store.favorites().addTracksToAnalysis(store.sections().activeSelection());
    };
    actions.exportSelection = [this] { m_favoritesExport->exportFavoriteSelection(this); };
    m_toolbar->setFavoritesActions(std::move(actions));
}

bool MainWindow::handleKeyDown(const QKeyEvent &event, QWidget *receiver)
{
    // Keys belong to the window only while it is the active one and nothing pops up over it.
    if (!isVisible() || !receiver || receiver->window() != this ||
        QApplication::activePopupWidget() || QApplication::activeModalWidget())
        return false;
    // A configured hotkey wins over the window's fixed shortcuts.
    return m_keyHandler->handleKeyDown(event, QApplication::focusWidget()) ||
           handleWindowShortcut(event);
}

bool MainWindow::handleWindowShortcut(const QKeyEvent &event)
{
    const KeyStroke stroke = KeyStroke::fromEvent(event);
    if (!stroke.command || stroke.option || stroke.control)
        return false;
    // Redo: Ctrl+Shift+Z or Ctrl+Y; text fields keep their own.
    const bool redo = (stroke.shift && stroke.keyCode == KeyStroke::keyCodeForCharacter(u'Z')) ||
                      (!stroke.shift && stroke.keyCode == KeyStroke::keyCodeForCharacter(u'Y'));
    if (!redo || MainWindowKeyHandler::focusTakesKeys(QApplication::focusWidget()) ||
        m_store.isEditingMetadata())
        return false;
    if (m_undoStack->canRedo())
        m_undoStack->redo();
    return true;
}

} // namespace brivello
