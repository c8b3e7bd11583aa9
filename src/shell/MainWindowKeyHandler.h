#pragma once

#include "records/Track.h"
#include "settings/KeyStroke.h"

#include <QSet>
#include <QUuid>
#include <functional>

class QKeyEvent;
class QUndoStack;
class QWidget;

namespace brivello {

class AudioPlayer;
class LibraryStore;
class TrackNavigation;

// The workbench's hotkeys. For each key press of the application it decides, from the focused
// control, the store's editing state, the active section and the configured hotkey texts,
// whether the key is a command, and runs it; any other key goes on to the widgets. Every press
// reads the settings afresh. Main thread; owned by the main window.
class MainWindowKeyHandler
{
public:
    MainWindowKeyHandler(LibraryStore &store, AudioPlayer &player, TrackNavigation &navigation);

    // The window's undo stack for tag, favourite and genre edits; may give nullptr.
    std::function<QUndoStack *()> undoStack;
    // The configured cleaner on the active section's selection; installed by the window.
    std::function<void()> runCleaner;

    // The whole decision for a key press while `focus` has the keyboard. True: taken.
    bool handleKeyDown(const QKeyEvent &event, const QWidget *focus);
    // The decision once the focus allows hotkeys.
    bool handle(const KeyStroke &stroke);

    // A text field, combo box, spin box or key recorder (property "brivelloCapturesKeys") on
    // the focus chain keeps its keys.
    static bool focusTakesKeys(const QWidget *focus);
    // Quick-genre slot of a digit key of the main row, or -1.
    static int quickGenreSlot(quint16 keyCode);

    void applyQuickGenre(int index);
    void addSelectionToFavorites();

private:
    bool matches(const KeyStroke &stroke, const QString &key) const;
    // Some hotkey setting names exactly this key press.
    bool isBound(const KeyStroke &stroke) const;
    bool selectAll();
    // The tracks the active section lists, in its order; select-all takes these.
    QList<Track> shownTracks() const;
    void navigate(int offset);
    void undo();
    void trash();
    void remove();
    // The ids that Trash, remove and favourite act on: the section's own visible selection.
    // The converter's queue items are not tracks, so there it is empty.
    QSet<QUuid> commandTargets() const;
    QUndoStack *currentUndoStack() const;

    LibraryStore &m_store;
    AudioPlayer &m_player;
    TrackNavigation &m_navigation;
};

} // namespace brivello
