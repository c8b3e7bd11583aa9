#pragma once

#include "records/Track.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

QT_FORWARD_DECLARE_CLASS(QUndoStack)

namespace brivello {

class LibraryStore;

// Genres of the favourites: the catalogue from the settings, quick slots and recent genres,
// and genre edits with undo (a null undo stack means the window's). Edits act on favourites
// only. Part of LibraryStore; main thread.
class GenreEditing
{
public:
    explicit GenreEditing(LibraryStore &store);

    QStringList genres() const;
    QStringList quickGenreSlots() const;
    void setQuickGenre(const QString &genre, int index);
    QStringList recentGenres() const;
    void recordRecentGenre(const QString &genre);
    QStringList favoriteGenreOptions() const;
    QStringList genreSuggestions(const QSet<QUuid> &ids) const;
    void assignGenre(const QString &genre, const QSet<QUuid> &ids, QUndoStack *undoStack = nullptr);
    void clearGenres(const QSet<QUuid> &ids, QUndoStack *undoStack = nullptr);
    void normalizeGenreList();

private:
    QList<Track> favouritesAmong(const QSet<QUuid> &ids) const;
    void showNoFavouriteSelected();
    void applyGenreValues(const QHash<QUuid, QString> &values);
    void registerGenreUndo(const QHash<QUuid, QString> &previous,
                           const QHash<QUuid, QString> &replacement,
                           const QString &actionName,
                           QUndoStack *undoStack);

    LibraryStore &m_store;
};

} // namespace brivello
