#pragma once

#include "BrivelloTheme.h"
#include "PlaylistMultiFileDragOverlay.h"
#include "library/PlaylistModel.h"

#include <QListView>
#include <QPointer>
#include <QTimer>
#include <QVariantAnimation>

namespace brivello {

class AudioPlayer;
class LibraryStore;
class ContextualHint;
class TrackRowDelegate;

// The playlist list: one scrolling column of track rows grouped under folder headings. Clicks
// select through the store (its selection is the only one), a double click plays, rows drag
// their files out and take files dropped from outside, the heart toggles the favourite. It
// follows the player and reveals the focused track when shown. Main thread; owned by the
// playlist section.
class PlaylistView : public QListView
{
    Q_OBJECT
public:
    PlaylistView(LibraryStore &store, AudioPlayer &player, QWidget *parent = nullptr);

    PlaylistModel *playlistModel() const { return m_model; }
    TrackRowDelegate *rowDelegate() const { return m_delegate; }

    // A click on a track with the keyboard's modifiers, applied to the store's selection.
    void selectPlaylistTrack(const QUuid &id, Qt::KeyboardModifiers modifiers);
    // The items of the context menu for a right click on `row`.
    QList<QAction *> trackMenuActions(int row, QObject *parent);
    // Scrolls the focused track to the middle, after the rows are laid out.
    void revealSavedPlaylistTrack();
    // Lays out rows whose size changed now instead of at the next event-loop turn.
    void layOutRows() { executeDelayedItemsLayout(); }
    // The hover hint of the hearts: what a click does, with the favourite hotkey.
    ContextualHint *heartHint() const { return m_heartHint; }
    // The element of a track, in viewport coordinates.
    QRect elementRect(int row) const;
    // The clear list with its thin scroll bar, and the behaviour of a list drawn over the
    // store's selection; the analysis list shares both.
    static QString listStyleSheet(ColorScheme scheme);
    static void configureTrackList(QListView &list);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    enum class Area { none, header, heart, content };
    Area areaAt(const QPoint &pos, int *row) const;
    void pressContent(int row, Qt::KeyboardModifiers modifiers, int clickCount);
    void toggleFavorite(int row);
    // The heart bounces when its track becomes or stops being a favourite, from anywhere.
    void bounceChangedHearts();
    void bounceHeart(const QUuid &id);
    void followPlayer();
    void keepFocusInSelection();
    void scrollToRow(int row, bool centre);
    void refreshPlayback();
    void restyle();
    void forgetRowPositions();
    void updateSpinner();
    // Points the heart hint at the heart under `pos`, with that row's texts.
    void hoverHeart(const QPoint &pos);
    bool isPlaylistActive() const;

    LibraryStore &m_store;
    QPointer<AudioPlayer> m_player;
    PlaylistModel *m_model;
    TrackRowDelegate *m_delegate;
    PlaylistMultiFileDragOverlay m_overlay;
    int m_pressedRow = -1;
    QPoint m_pressPos;
    int m_hoveredRow = -1;
    ContextualHint *m_heartHint = nullptr;
    QVariantAnimation m_scroll;
    QTimer m_spinner;
    qreal m_spinnerPhase = 0;
    QHash<QUuid, bool> m_favoriteStates;
};

} // namespace brivello
