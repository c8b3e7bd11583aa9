#pragma once

#include <QPointer>
#include <QString>
#include <QUndoCommand>
#include <QUuid>

namespace brivello {

class LibraryStore;

// Undo step of one inline tag edit ("Изменить теги"). Each direction rewrites only the edited
// field on the store's tags of that track as they are when it runs, so a metadata load that
// landed after the edit survives undo and redo. Pushed after the edit; main thread.
class FavoriteTagEditCommand : public QUndoCommand
{
public:
    FavoriteTagEditCommand(LibraryStore &store,
                           const QUuid &trackID,
                           int field,
                           QString previous,
                           QString replacement);

    void undo() override;
    void redo() override;

    // Sets one field of the track's current tags and saves them; false when the track is gone
    // or already holds that value.
    static bool apply(LibraryStore &store, const QUuid &trackID, int field, const QString &value);

private:
    QPointer<LibraryStore> m_store;
    QUuid m_trackID;
    int m_field;
    QString m_previous;
    QString m_replacement;
    bool m_pushed = false;
};

} // namespace brivello
