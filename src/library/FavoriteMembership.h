#pragma once

#include "library/FavoriteMembershipCommand.h"

#include <QPointer>
#include <QSet>
#include <QUndoStack>
#include <QUuid>

namespace brivello {

class LibraryStore;

// Favourites and section membership: favourites with undo, sending tracks to the analysis
// and converter sections, and revealing files. A null undo stack means the window's
// (setWindowUndoStack), when there is one. Part of LibraryStore; main thread.
class FavoriteMembership
{
public:
    explicit FavoriteMembership(LibraryStore &store);

    void toggleFavorites(const QSet<QUuid> &ids, QUndoStack *undoStack = nullptr);
    void addToFavorites(const QSet<QUuid> &ids);
    void removeFromFavorites(const QSet<QUuid> &ids, QUndoStack *undoStack = nullptr);
    void addTracksToAnalysis(const QSet<QUuid> &ids);
    int addTracksToConversion(const QSet<QUuid> &ids);
    void openInFinder(const QSet<QUuid> &ids);
    void setWindowUndoStack(QUndoStack *stack);
    QUndoStack *windowUndoStack() const { return m_windowUndoStack; }

private:
    FavoriteMembershipStates favoriteMembershipStates(const QSet<QUuid> &ids) const;
    void applyFavoriteMembershipStates(const FavoriteMembershipStates &states);
    void registerFavoriteMembershipUndo(const FavoriteMembershipStates &previous,
                                        const FavoriteMembershipStates &replacement,
                                        QUndoStack *undoStack);

    LibraryStore &m_store;
    QPointer<QUndoStack> m_windowUndoStack;
};

} // namespace brivello
