#pragma once

#include "records/Track.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTableView>
#include <QVariantAnimation>
#include <optional>

QT_FORWARD_DECLARE_CLASS(QUndoStack)

namespace brivello {

class AudioPlayer;
class FavoritesHeaderView;
class FavoritesItemDelegate;
class FavoritesTableModel;
class LibraryStore;
struct Notification;

// The favourites spreadsheet: rows from FavoritesTableModel, selection mirrored into the store,
// ±1 navigation that plays, double click to play, right click on artist or title to edit, the
// row menu, the header menus, rounded selection and hover fills, and the column layout kept in
// the user defaults. Main thread; owned by the favourites section.
class FavoritesTableView : public QTableView
{
    Q_OBJECT
public:
    FavoritesTableView(FavoritesTableModel &model,
                       QUndoStack *undoStack,
                       QWidget *parent = nullptr);

    FavoritesTableModel &favoritesModel() const { return m_model; }
    FavoritesHeaderView *favoritesHeader() const { return m_header; }
    FavoritesItemDelegate *favoritesDelegate() const { return m_delegate; }
    int hoveredRow() const { return m_hoveredRow; }
    bool isEditing() const { return state() == EditingState; }
    bool isPulsing() const { return m_pulse.state() == QAbstractAnimation::Running; }
    bool isRevealing() const { return m_reveal.state() == QAbstractAnimation::Running; }

    void navigate(int delta);
    void selectAllRows();
    void playTrack(int row);
    // Scrolls the row into view with a margin: a 0.21 s ease-out, at once with reduced motion.
    void reveal(int row);
    // Copies the store's selection onto the rows; the store is the source of truth.
    void syncSelectionFromStore();
    // The menus' contents, for the menus and their tests.
    QMenu *makeGenreFilterMenu(QWidget *parent);
    QMenu *makeColumnMenu(int logicalIndex, QWidget *parent);
    QMenu *makeRowMenu(QWidget *parent);
    // The genre cell's pop-up: "Без жанра", then the store's genres; a choice assigns it.
    QMenu *makeGenreMenu(int row, QWidget *parent);
    // Asks for an image ("Выберите обложку") and hands it with the tracks to the cover batch.
    void chooseArtwork(const QSet<QUuid> &ids);
    void toggleColumn(const QString &id);
    void autoSizeColumn(const QString &id);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;

private:
    void applyLayout();
    void applyDensity();
    void restyleScrollBars();
    void columnMoved();
    void columnResized(int logicalIndex, int newSize);
    void storeHiddenColumns();
    void setHoveredRow(int row);
    void refreshHoveredRowFromPointer();
    void focusRequested(const Notification &note);
    void assignArtworkFile(const QString &path, const QSet<QUuid> &ids);
    bool isGenreButton(const QModelIndex &index, const QPoint &at) const;
    QList<Track> tracksOfRows(const QList<int> &rows) const;
    void updatePulse();
    void updatePlayingCells();
    QList<int> selectedRowNumbers() const;
    void selectRows(const QList<int> &rows);
    void selectRowsAsUser(const QList<int> &rows);
    void paintRowFills(QPainter &painter, const QRect &area);

    FavoritesTableModel &m_model;
    LibraryStore &m_store;
    FavoritesHeaderView *m_header = nullptr;
    FavoritesItemDelegate *m_delegate = nullptr;
    QPointer<QUndoStack> m_undoStack;
    QVariantAnimation m_pulse;
    QVariantAnimation m_reveal;
    int m_hoveredRow = -1;
    // The last press toggled a heart: the double click it starts plays nothing.
    bool m_pressHitHeart = false;
    QElapsedTimer m_heartPress;
    bool m_applyingSelection = false;
    bool m_normalizingColumns = false;
};

} // namespace brivello
