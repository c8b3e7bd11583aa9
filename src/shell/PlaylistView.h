#pragma once

#include "TrackListView.h"
#include "library/PlaylistModel.h"

#include <QPointer>
#include <QVariantAnimation>

namespace brivello {

class ContextualHint;
class TrackRowDelegate;

// The playlist list: one scrolling column of track rows grouped under folder headings. Clicks
// select through the store (its selection is the only one), a double click plays, rows drag
// their files out and take files dropped from outside, the heart toggles the favourite. It
// follows the player and reveals the focused track when shown. Main thread; owned by the
// playlist section.
class PlaylistView : public TrackListView
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
    // The hover hint of the hearts: what a click does, with the favourite hotkey.
    ContextualHint *heartHint() const { return m_heartHint; }
    // The element of a track, in viewport coordinates.
    QRect elementRect(int row) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void bindOverlay(int row, Qt::KeyboardModifiers modifiers) override;
    void repaintSpinningRows() override;

private:
    enum class Area { none, header, heart, content };
    Area areaAt(const QPoint &pos, int *row) const;
    void toggleFavorite(int row);
    // The heart bounces when its track becomes or stops being a favourite, from anywhere.
    void bounceChangedHearts();
    void bounceHeart(const QUuid &id);
    void followPlayer();
    void keepFocusInSelection();
    void scrollToRow(int row, bool centre);
    void refreshPlayback();
    void forgetRowPositions();
    // Points the heart hint at the heart under `pos`, with that row's texts.
    void hoverHeart(const QPoint &pos);
    bool isPlaylistActive() const;

    PlaylistModel *m_model;
    TrackRowDelegate *m_delegate;
    ContextualHint *m_heartHint = nullptr;
    QHash<QUuid, bool> m_favoriteStates;
    QHash<QUuid, QPointer<QVariantAnimation>> m_heartBounces;
};

} // namespace brivello
