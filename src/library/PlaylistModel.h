#pragma once

#include "records/Track.h"

#include <QAbstractListModel>
#include <QHash>
#include <QSet>
#include <optional>

namespace brivello {

class LibraryStore;

// The playlist as a list model: one row per track of the store's playlist, in its folder
// order, with the folder heading marked on the first row of each folder. Follows the store by
// rows: a change of one track's tags, the selection or the playing track touches only the rows
// concerned, never a reset. Main thread; owned by the playlist view.
class PlaylistModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role {
        TrackIDRole = Qt::UserRole + 1,
        FileURLRole,
        StartsFolderRole,
        FolderURLRole,
        IsSelectedRole,
        IsCurrentRole,
        IsPlayingRole,
        TitleRole,
        ArtistRole,
        TempoRole,
        DurationTextRole,
    };

    enum class TempoKind { analyzing, estimate, tag, none };
    struct Tempo
    {
        TempoKind kind = TempoKind::none;
        QString text;
    };

    explicit PlaylistModel(LibraryStore *store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const Track &trackAt(int row) const { return m_tracks.at(row); }
    const QList<Track> &tracks() const { return m_tracks; }
    int rowOf(const QUuid &id) const { return m_rowByID.value(id, -1); }
    QList<QUuid> ids() const;
    LibraryStore *store() const { return m_store; }

    bool startsFolder(int row) const { return m_startsFolder.value(row, false); }
    // Highlighted: in the store's multiple selection.
    bool isSelected(int row) const;
    // Part of the selection for a press: selected or the focused track.
    bool isInSelection(int row) const;
    bool isCurrent(int row) const;
    bool isPlaying(int row) const { return m_isPlaying && isCurrent(row); }
    Tempo tempo(int row) const;

    // What a drag that starts on the row carries: the selected files in row order when the
    // row is selected, else its own file; and whether a drag may start there at all.
    QList<QUrl> dragURLs(int row) const;
    bool isDragEnabled(int row) const;
    // True when the list is not empty and every row is selected (a count comparison).
    bool isWholeListSelected() const;

    // The player's current track and playing state; rows of the old and new track update.
    void setPlaybackState(std::optional<QUuid> currentID, bool isPlaying);
    std::optional<QUuid> currentID() const { return m_currentID; }

    // Texts of a row.
    static QString displayTitle(const Track &track);
    static QString displayArtist(const Track &track);
    static Tempo
    tempoFor(const Track &track, bool analyzing, const std::optional<QString> &estimate);
    // The folder of a file: its address minus the last component.
    static QUrl folderURL(const QUrl &fileURL);
    static QString standardizedFolderPath(const QUrl &fileURL);
    // Whether the row at `index` opens a new folder group.
    static bool startsPlaylistFolder(int index, const QList<Track> &rows);
    // The heading's text: the folder path standardised, the home folder shown as "~".
    static QString abbreviatedFolderPath(const QUrl &folderURL);

signals:
    // Row heights changed (density, folder headings): views lay their items out again.
    void rowGeometryChanged();

private:
    // The store's playlist in shown order, read in place from the library list rather than
    // copied track by track on every change.
    struct OrderedRows
    {
        const QList<Track> &library;
        QList<qsizetype> positions;
        qsizetype size() const { return positions.size(); }
        const Track &at(qsizetype i) const { return library.at(positions.at(i)); }
    };

    void reloadTracks();
    bool applyContentChange();
    bool applyInPlace();
    void applySameOrder(const OrderedRows &next);
    void applyStructuralChange(const OrderedRows &next);
    void removeRowsMissingFrom(const OrderedRows &next);
    void insertRowsNewIn(const OrderedRows &next);
    void reorderTo(const OrderedRows &next);
    void refreshFolderStarts(bool rowsMoved);
    void refreshSelection();
    void refreshTempo();
    void rebuildIndex();
    void emitRowsChanged(QList<int> rows, const QList<int> &roles = {});

    LibraryStore *m_store;
    QList<Track> m_tracks;
    QList<QString> m_folders; // standardised folder path per row
    QList<bool> m_startsFolder;
    QHash<QUuid, int> m_rowByID;
    QSet<QUuid> m_selectedIDs; // as last shown
    std::optional<QUuid> m_focusID;
    QSet<QUuid> m_analyzingBPMIDs;
    QHash<QUuid, QString> m_estimates;
    std::optional<QUuid> m_currentID;
    bool m_isPlaying = false;
};

} // namespace brivello
