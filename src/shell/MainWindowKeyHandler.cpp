#include "MainWindowKeyHandler.h"

#include "library/AudioPlayer.h"
#include "library/FavoriteMembership.h"
#include "library/GenreEditing.h"
#include "library/LibrarySections.h"
#include "library/LibrarySettingsKeys.h"
#include "library/LibraryStore.h"
#include "library/TrackRemoval.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "playback/TrackNavigation.h"
#include "settings/HotkeyMatcher.h"
#include "workspaces/DuplicateGroupRows.h"
#include "workspaces/DuplicateWorkspace.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QUndoStack>

namespace brivello {

namespace {

using Tab = LibraryStore::LibraryTab;

void post(const QString &name, const QVariantMap &userInfo = {})
{
    NotificationCenter::defaultCenter().post(name, nullptr, userInfo);
}

} // namespace

MainWindowKeyHandler::MainWindowKeyHandler(LibraryStore &store,
                                           AudioPlayer &player,
                                           TrackNavigation &navigation)
    : m_store(store)
    , m_player(player)
    , m_navigation(navigation)
{}

bool MainWindowKeyHandler::focusTakesKeys(const QWidget *focus)
{
    for (const QWidget *widget = focus; widget; widget = widget->parentWidget()) {
        if (qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QTextEdit *>(widget) ||
            qobject_cast<const QPlainTextEdit *>(widget) ||
            qobject_cast<const QComboBox *>(widget) ||
            qobject_cast<const QAbstractSpinBox *>(widget) ||
            qobject_cast<const QKeySequenceEdit *>(widget) ||
            widget->property("brivelloCapturesKeys").toBool())
            return true;
    }
    return false;
}

int MainWindowKeyHandler::quickGenreSlot(quint16 keyCode)
{
    static constexpr quint16 kDigitKeyCodes[] = {18, 19, 20, 21, 23, 22, 26, 28, 25};
    for (int slot = 0; slot < 9; ++slot) {
        if (kDigitKeyCodes[slot] == keyCode)
            return slot;
    }
    return -1;
}

bool MainWindowKeyHandler::handleKeyDown(const QKeyEvent &event, const QWidget *focus)
{
    if (focusTakesKeys(focus))
        return false;
    return handle(KeyStroke::fromEvent(event));
}

bool MainWindowKeyHandler::matches(const KeyStroke &stroke, const QString &key) const
{
    const QString shortcut = m_store.settings().hotkey(key);
    if (HotkeyMatcher::matches(stroke, shortcut))
        return true;
    // The PC Delete key stands in for "Delete" unless a hotkey names it ("ForwardDelete").
    return HotkeyMatcher::matchesDeleteKeyAlias(stroke, shortcut) && !isBound(stroke);
}

bool MainWindowKeyHandler::isBound(const KeyStroke &stroke) const
{
    static const QString *const kKeys[] = {&kHotkeySeekBackKey,
                                           &kHotkeySeekForwardKey,
                                           &kHotkeyPreviousTrackKey,
                                           &kHotkeyNextTrackKey,
                                           &kHotkeyPlayPauseKey,
                                           &kHotkeyFavoriteKey,
                                           &kHotkeyRemoveKey,
                                           &kHotkeyTrashKey,
                                           &kHotkeyUndoKey,
                                           &kHotkeyCleanKey,
                                           &kHotkeyGenrePaletteKey};
    for (const QString *key : kKeys) {
        if (HotkeyMatcher::matches(stroke, m_store.settings().hotkey(*key)))
            return true;
    }
    return false;
}

bool MainWindowKeyHandler::handle(const KeyStroke &stroke)
{
    if (m_store.isEditingMetadata())
        return false;
    const Tab tab = m_store.activeTab();
    const bool noModifiers = !stroke.command && !stroke.option && !stroke.control && !stroke.shift;

    if (stroke.command && !stroke.option && !stroke.control && !stroke.shift && stroke.keyCode == 0)
        return selectAll();

    if (tab == Tab::favorites && noModifiers) {
        const int slot = quickGenreSlot(stroke.keyCode);
        const QStringList genreSlots = m_store.genreEditing().quickGenreSlots();
        if (slot >= 0 && slot < genreSlots.size() && !genreSlots.at(slot).isEmpty()) {
            applyQuickGenre(slot);
            return true;
        }
    }
    if (tab == Tab::favorites && matches(stroke, kHotkeyGenrePaletteKey)) {
        post(brivelloShowGenrePalette);
        return true;
    }
    if (matches(stroke, kHotkeySeekBackKey)) {
        m_player.seekBy(-m_store.settings().seekStep());
        return true;
    }
    if (matches(stroke, kHotkeySeekForwardKey)) {
        m_player.seekBy(m_store.settings().seekStep());
        return true;
    }
    if (matches(stroke, kHotkeyPreviousTrackKey)) {
        navigate(-1);
        return true;
    }
    if (matches(stroke, kHotkeyNextTrackKey)) {
        navigate(+1);
        return true;
    }
    if (matches(stroke, kHotkeyPlayPauseKey)) {
        m_navigation.toggleSelectedTrack();
        return true;
    }
    if (matches(stroke, kHotkeyFavoriteKey)) {
        addSelectionToFavorites();
        return true;
    }
    if (matches(stroke, kHotkeyUndoKey)) {
        undo();
        return true;
    }
    if (matches(stroke, kHotkeyTrashKey)) {
        trash();
        return true;
    }
    if (matches(stroke, kHotkeyRemoveKey)) {
        remove();
        return true;
    }
    if (matches(stroke, kHotkeyCleanKey)) {
        if (runCleaner)
            runCleaner();
        return true;
    }
    return false;
}

bool MainWindowKeyHandler::selectAll()
{
    if (m_store.activeTab() == Tab::converter) {
        post(brivelloSelectAllConversionItems);
        return true;
    }
    const QList<Track> visible = shownTracks();
    QSet<QUuid> ids;
    ids.reserve(visible.size());
    for (const Track &track : visible)
        ids.insert(track.id);
    m_store.setSelectedIDs(ids);
    m_store.session().scheduleWorkspaceSave();
    m_store.setSelectedID(visible.isEmpty() ? std::nullopt
                                            : std::optional<QUuid>(visible.first().id));
    m_store.session().scheduleWorkspaceSave();
    if (m_store.activeTab() == Tab::favorites) {
        // After the table has seen the new selection.
        QMetaObject::invokeMethod(
            qApp,
            [] {
                post(brivelloFocusFavoriteTrack, {{kUserInfoSelectAll, true}});
            },
            Qt::QueuedConnection);
    }
    return true;
}

QList<Track> MainWindowKeyHandler::shownTracks() const
{
    if (m_store.activeTab() != Tab::duplicates)
        return m_store.sections().visibleTracks();
    // The files of the cards, never the library behind them. No card gets marked: one press
    // of a card's button must not move every copy to the Trash.
    return DuplicateGroupRows::navigableTracks(m_store.duplicateSearch().groups,
                                               m_store.duplicateTracks());
}

void MainWindowKeyHandler::navigate(int offset)
{
    switch (m_store.activeTab()) {
    case Tab::converter:
        post(brivelloNavigateConversionItems, {{kUserInfoOffset, offset}});
        break;
    case Tab::duplicates:
        post(brivelloNavigateDuplicateItems, {{kUserInfoOffset, offset}});
        break;
    default:
        m_navigation.selectAdjacent(offset);
        break;
    }
}

void MainWindowKeyHandler::undo()
{
    if (m_store.removal().canUndoPhysicalTrash() || m_store.activeTab() != Tab::favorites) {
        m_store.removal().undoLastRemoval();
        return;
    }
    QUndoStack *stack = currentUndoStack();
    if (stack && stack->canUndo())
        stack->undo();
    else
        m_store.removal().undoLastRemoval();
}

void MainWindowKeyHandler::trash()
{
    switch (m_store.activeTab()) {
    case Tab::converter:
        return;
    case Tab::duplicates:
        // Only files marked in the cards, as the cards' own buttons do.
        DuplicateWorkspace::of(m_store).trashMarkedTracks();
        return;
    default:
        if (const QSet<QUuid> targets = commandTargets(); !targets.isEmpty())
            m_store.removal().trashTracks(targets);
        return;
    }
}

void MainWindowKeyHandler::remove()
{
    const QSet<QUuid> selection = m_store.sections().visibleSelection();
    switch (m_store.activeTab()) {
    case Tab::converter:
        post(brivelloRemoveConversionItems);
        return;
    case Tab::favorites:
        m_store.favorites().removeFromFavorites(selection, nullptr);
        return;
    case Tab::analysis:
        m_store.removal().removeFromAnalysis(selection);
        return;
    case Tab::covers:
        m_store.removal().removeFromCoverWorkspace(selection);
        return;
    case Tab::playlist:
        m_store.removal().removeTracksFromPlaylist(selection);
        return;
    case Tab::duplicates:
        if (const QSet<QUuid> targets = commandTargets(); !targets.isEmpty())
            m_store.removal().removeTracksFromPlaylist(targets);
        return;
    }
}

QSet<QUuid> MainWindowKeyHandler::commandTargets() const
{
    switch (m_store.activeTab()) {
    case Tab::converter:
        return {};
    case Tab::duplicates: {
        QSet<QUuid> ids = m_store.duplicateSearch().selectedTrackIDs;
        if (ids.isEmpty() && m_store.duplicateSearch().focusedTrackID)
            ids.insert(*m_store.duplicateSearch().focusedTrackID);
        return ids;
    }
    default:
        return m_store.sections().visibleSelection();
    }
}

void MainWindowKeyHandler::applyQuickGenre(int index)
{
    const QStringList genreSlots = m_store.genreEditing().quickGenreSlots();
    if (index < 0 || index >= genreSlots.size() || genreSlots.at(index).isEmpty())
        return;
    m_store.genreEditing().assignGenre(
        genreSlots.at(index), m_store.sections().activeSelection(), currentUndoStack());
}

void MainWindowKeyHandler::addSelectionToFavorites()
{
    const QSet<QUuid> targets = commandTargets();
    if (targets.isEmpty())
        return;
    if (m_store.activeTab() == Tab::favorites)
        m_store.favorites().removeFromFavorites(targets, currentUndoStack());
    else
        m_store.favorites().toggleFavorites(targets, currentUndoStack());
}

QUndoStack *MainWindowKeyHandler::currentUndoStack() const
{
    return undoStack ? undoStack() : nullptr;
}

} // namespace brivello
