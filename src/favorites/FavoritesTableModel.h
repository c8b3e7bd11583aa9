#pragma once

#include "library/AudioPlayer.h"
#include "records/Track.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>
#include <QStringList>
#include <optional>

QT_FORWARD_DECLARE_CLASS(QUndoStack)

namespace brivello {

class LibraryStore;
struct Notification;

// The favourites table's rows: a copy of the store's visible favourites, one column per entry
// of FavoriteTableColumns::defaultOrder(). Views read only this copy. Store and player changes
// are gathered into at most one pass per event-loop turn; a pass resets the model only when the
// ordered list of ids changed and otherwise announces single cells. While an editor is open
// passes are postponed until it closes. Main thread; owned by the favourites section.
class FavoritesTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role {
        TrackIDRole = Qt::UserRole + 1,
        ColumnIDRole,
        PlaybackStateRole, // PlaybackState as int
        PlaceholderRole,
        SecondaryTextRole, // true for the read-only info columns
    };
    enum class PlaybackState { none, playing, paused };

    static constexpr double kMetadataDebounce = 0.08;
    static constexpr double kArtworkRetry = 0.2;

    FavoritesTableModel(LibraryStore &store, AudioPlayer *player, QObject *parent = nullptr);
    ~FavoritesTableModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    LibraryStore &store() const { return m_store; }
    AudioPlayer *player() const { return m_player.data(); }
    const QList<Track> &rows() const { return m_rows; }
    int rowOf(const QUuid &id) const { return m_rowByID.value(id, -1); }
    QUuid idAt(int row) const;
    static int columnOf(const QString &id);
    static QString columnID(int column);

    // Texts of the cells: the tag (the file name for an empty title), the tempo, the format.
    QString cellText(const Track &track, const QString &column) const;
    // "…" while analysed, "≈ " and the estimate, the tag, else "—".
    QString bpmDisplayText(const Track &track) const;
    PlaybackState playbackState(const QUuid &id) const;
    // "ЖАНР", "ЖАНР · <genre>" or "ЖАНР · БЕЗ ЖАНРА", following the store's filter.
    QString genreHeaderTitle() const;

    // --- Reconciliation.
    void scheduleReconciliation();
    // Runs the pending pass at once (tests and the filter switch); postponed while editing.
    void reconcileNow();
    int resetCount() const { return m_resetCount; }
    int touchedCellCount() const { return m_touchedCells; }

    // --- Editing. An open editor holds every pass back; closing it applies what arrived.
    bool isEditing() const { return m_editing; }
    void beginEditing();
    void endEditing();
    // Writes one tag of the track with that id, on the store's current tags. Line breaks become
    // spaces. A missing or read-only file reports the store's write error and changes nothing.
    // Returns whether a change was saved.
    bool commitEdit(const QUuid &trackID,
                    const QString &column,
                    const QString &text,
                    QUndoStack *undoStack);
    // Assigns a genre to the store's selection when it holds the track, else to the track.
    void applyGenre(const QString &genre, const QUuid &trackID, QUndoStack *undoStack = nullptr);
    // A choice from a row's genre pop-up: drops that track's typed draft, assigns the genre
    // (the empty one for "Без жанра") with undo and refreshes the rows.
    void genreMenuSelected(const QUuid &trackID, const QString &genre, QUndoStack *undoStack);
    // Genre text typed into a row's open genre field, shown until it is committed or dropped.
    void setGenreDraft(const QUuid &trackID, const QString &text);
    void dropGenreDraft(const QUuid &trackID);
    std::optional<QString> genreDraft(const QUuid &trackID) const;

    // --- Genre filter: "" for all, the untagged sentinel, or a genre.
    void selectGenreFilter(const QString &choice);
    QString currentGenreFilterChoice() const;

    // --- Selection helpers (row numbers of this copy).
    QList<QUuid> idsOfRows(QList<int> rows) const;
    QList<int> rowsOfIDs(const QSet<QUuid> &ids) const;
    // The row that ±delta navigation lands on from the focused track, -1 without rows.
    int navigationTarget(const std::optional<QUuid> &focusedID, int delta) const;

signals:
    // A pass ended; `reset` tells whether the rows were replaced.
    void reconciled(bool reset);

private:
    void runScheduledPass();
    void reconcile();
    // Whether the rows were replaced (the ordered ids changed).
    bool reconcileRows(QList<Track> fresh);
    void refreshPlaybackCells();
    void refreshBPMCells();
    void markRowsDirty();
    void scheduleMetadataRefresh(double delay);
    void observeNotifications();
    void touchCell(int row, int column);
    void showCommitted(const QSet<QUuid> &ids, int field, const QString &value);
    void rebuildIndex();
    static QString singleLine(const QString &text);
    bool canWrite(const Track &track) const;

    LibraryStore &m_store;
    QPointer<AudioPlayer> m_player;
    QList<Track> m_rows;
    QHash<QUuid, int> m_rowByID;
    QStringList m_bpmTexts; // per row, as last announced
    QHash<QUuid, QString> m_genreDrafts;

    bool m_scheduled = false;
    bool m_rowsDirty = false;
    bool m_editing = false;
    bool m_pendingWhileEditing = false;
    bool m_metadataRefreshPending = false;
    std::optional<QUuid> m_lastPlaybackID;
    bool m_lastPlaying = false;
    int m_resetCount = 0;
    int m_touchedCells = 0;
};

} // namespace brivello
