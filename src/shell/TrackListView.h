#pragma once

#include "BrivelloTheme.h"
#include "PlaylistMultiFileDragOverlay.h"

#include <QListView>
#include <QPointer>
#include <QTimer>
#include <QVariantAnimation>

namespace brivello {

class AudioPlayer;
class LibraryStore;
class TrackListRowDelegate;

// What the playlist and analysis lists share: a clear list drawn over the store's selection
// that only scrolls, hovers and takes drops; the hovered row; presses handed to the shared row
// overlay; the animated scroll and the spinner of rows being analysed. Keys are the window's.
// Main thread.
class TrackListView : public QListView
{
    Q_OBJECT
public:
    // Lays out rows whose size changed now instead of at the next event-loop turn.
    void layOutRows() { executeDelayedItemsLayout(); }
    // The clear list with its thin scroll bar, and the behaviour of a list drawn over the
    // store's selection.
    static QString listStyleSheet(ColorScheme scheme);
    static void configureTrackList(QListView &list);

protected:
    TrackListView(LibraryStore &store, AudioPlayer &player, QWidget *parent);

    // Shows the rows of `model` drawn by `delegate`; both belong to the subclass.
    void setRows(QAbstractItemModel *model, TrackListRowDelegate *delegate);
    // Points the overlay at `row` before a press or a drop on it.
    virtual void bindOverlay(int row, Qt::KeyboardModifiers modifiers) = 0;
    // Repaints the rows whose spinner turns; the delegate already has the new phase.
    virtual void repaintSpinningRows() = 0;

    // A left press (or the second press of a double click) on `row`.
    void pressRow(int row, QMouseEvent *event, int clickCount);
    // A move with the button held: past the drag distance the pressed row's files drag out.
    void dragPressedRow(const QPoint &pos);
    void setHoveredRow(int row);
    // Forgets the hovered row without repainting it: the rows have moved.
    void forgetHoveredRow();
    void runSpinner(bool needed);
    // The scroll bar value that brings `rect` into view, or centres it.
    int scrollTarget(const QRect &rect, bool centre) const;
    void glideTo(int target, bool animated);

    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    LibraryStore &m_store;
    QPointer<AudioPlayer> m_player;
    PlaylistMultiFileDragOverlay m_overlay;
    int m_pressedRow = -1;
    QPoint m_pressPos;
    int m_hoveredRow = -1;
    QVariantAnimation m_scroll;

private:
    void restyle();

    TrackListRowDelegate *m_rowDelegate = nullptr;
    QTimer m_spinner;
    qreal m_spinnerPhase = 0;
};

} // namespace brivello
